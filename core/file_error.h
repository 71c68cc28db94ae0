#pragma once

#include <stdexcept>
#include <string>

namespace tcc {

// Error numbers of failed file operations. The numbering is the classic one
// that users of the game's tools know from their message boxes.
enum ErrorNumber : int {
    kBadFileName = 52,
    kFileNotFound = 53,
    kFileAlreadyExists = 58,
    kDiskFull = 61,
    kInputPastEndOfFile = 62,
    kDeviceUnavailable = 68,
    kPermissionDenied = 70,
    kRenameAcrossDrives = 74,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
};

// The plain description of an error number ("File not found", ...).
std::string DescribeErrorNumber(int number);

// What a user is told of a path that names a file where a folder is wanted.
std::string NotAFolder(const std::string& path);

// The one error type of every file operation: a number, its description and
// the path the operation worked on. what() is the text a user is shown.
class FileError : public std::runtime_error {
public:
    FileError(int number, std::string path);

    int number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::string& path() const { return path_; }

private:
    int number_;
    std::string description_;
    std::string path_;
};

}  // namespace tcc
