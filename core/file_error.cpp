#include "core/file_error.h"

namespace tcc {

std::string DescribeErrorNumber(int number) {
    switch (number) {
    case kBadFileName: return "Bad file name or number";
    case kFileNotFound: return "File not found";
    case kFileAlreadyExists: return "File already exists";
    case kDiskFull: return "Disk full";
    case kInputPastEndOfFile: return "Input past end of file";
    case kDeviceUnavailable: return "Device unavailable";
    case kPermissionDenied: return "Permission denied";
    case kRenameAcrossDrives: return "Can't rename with different drive";
    case kPathFileAccessError: return "Path/File access error";
    case kPathNotFound: return "Path not found";
    default: return "File operation failed";
    }
}

std::string NotAFolder(const std::string& path) { return "Not a folder: " + path; }

namespace {
std::string UserText(int number, const std::string& path) {
    std::string text = DescribeErrorNumber(number);
    if (!path.empty()) text += ": " + path;
    return text;
}
}  // namespace

FileError::FileError(int number, std::string path)
    : std::runtime_error(UserText(number, path)),
      number_(number),
      description_(DescribeErrorNumber(number)),
      path_(std::move(path)) {}

}  // namespace tcc
