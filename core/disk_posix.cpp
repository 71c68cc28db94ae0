#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "core/disk.h"
#include "core/file_error.h"

namespace tcc {
namespace {

// Maps an errno value of a failed system call to the error numbers of FileError.
int ErrorNumberFromErrno(int err) {
    switch (err) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case ENAMETOOLONG: return kBadFileName;
    case EEXIST:
    case ENOTEMPTY: return kFileAlreadyExists;
    case EXDEV: return kRenameAcrossDrives;
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return kPermissionDenied;
    case ENXIO:
    case ENODEV:
    case EIO:
    case ENOMEDIUM:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN: return kDeviceUnavailable;
    default: return kPathFileAccessError;
    }
}

[[noreturn]] void Fail(int err, const std::string& path) { throw FileError(ErrorNumberFromErrno(err), path); }

bool IsMissing(int err) { return err == ENOENT || err == ENOTDIR; }

EntryType TypeOf(mode_t mode) {
    if (S_ISREG(mode)) return EntryType::File;
    if (S_ISDIR(mode)) return EntryType::Folder;
    return EntryType::Other;
}

class FdReadStream : public ReadStream {
public:
    FdReadStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~FdReadStream() override { ::close(fd_); }

    std::size_t Read(char* buffer, std::size_t n) override {
        for (;;) {
            ssize_t got = ::read(fd_, buffer, n);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) Fail(errno, path_);
        }
    }

private:
    int fd_;
    std::string path_;
};

class FdWriteStream : public WriteStream {
public:
    FdWriteStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~FdWriteStream() override {
        if (fd_ >= 0) ::close(fd_);
    }

    void Write(const char* data, std::size_t n) override {
        while (n > 0) {
            ssize_t put = ::write(fd_, data, n);
            if (put < 0) {
                if (errno == EINTR) continue;
                Fail(errno, path_);
            }
            data += put;
            n -= static_cast<std::size_t>(put);
        }
    }

    void Flush() override {
        // EINVAL: a file system that cannot flush (some FUSE ones) has nothing to add.
        if (::fsync(fd_) != 0 && errno != EINVAL) Fail(errno, path_);
    }

    void Close() override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) Fail(errno, path_);
    }

private:
    int fd_;
    std::string path_;
};

}  // namespace

EntryInfo PosixDisk::Stat(const std::string& path) {
    struct stat st;
    // The name itself first, so that a symbolic link is told apart; then
    // what it points to.
    int err = ::lstat(path.c_str(), &st) == 0 ? 0 : errno;
    const bool link = err == 0 && S_ISLNK(st.st_mode);
    if (link && ::stat(path.c_str(), &st) != 0) {
        // A dangling link still takes the name.
        if (IsMissing(errno)) return {EntryType::Other, false, 0, true};
        err = errno;
    }
    // A name too long to hold, or a loop of links, names nothing.
    if (err == ENAMETOOLONG || err == ELOOP || IsMissing(err)) return {};
    if (err != 0) Fail(err, path);
    return {TypeOf(st.st_mode), (st.st_mode & S_IWUSR) == 0, static_cast<std::uint64_t>(st.st_size), link};
}

std::vector<DirEntry> PosixDisk::ReadDir(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) Fail(errno == ENOENT ? ENOTDIR : errno, folder);
    std::vector<DirEntry> entries;
    errno = 0;
    while (dirent* d = ::readdir(dir)) {
        std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        EntryType type = EntryType::Other;
        bool link = d->d_type == DT_LNK;
        if (d->d_type == DT_REG) {
            type = EntryType::File;
        } else if (d->d_type == DT_DIR) {
            type = EntryType::Folder;
        } else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st;
            std::string full = folder == "/" ? "/" + name : folder + "/" + name;
            if (!link) link = ::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
            if (::stat(full.c_str(), &st) == 0) type = TypeOf(st.st_mode);
        }
        const bool hidden = name[0] == '.';
        entries.push_back({std::move(name), type, hidden, link});
        errno = 0;
    }
    int err = errno;
    ::closedir(dir);
    if (err != 0) Fail(err, folder);
    return entries;
}

std::unique_ptr<ReadStream> PosixDisk::OpenRead(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(errno, path);
    return std::make_unique<FdReadStream>(fd, path);
}

std::unique_ptr<WriteStream> PosixDisk::CreateNew(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) Fail(errno == ENOENT ? ENOTDIR : errno, path);
    return std::make_unique<FdWriteStream>(fd, path);
}

void PosixDisk::RenameNoReplace(const std::string& from, const std::string& to) {
    // A missing source fails with its own path; a missing target folder, a
    // taken name and a name the file system refuses (EINVAL) with the target's.
    auto failMoving = [&](int err) {
        if (err == ENOENT && Stat(from).type != EntryType::None) Fail(ENOTDIR, to);
        Fail(err, err == EEXIST || err == EINVAL ? to : from);
    };
    int err = EINVAL;
    if (!refuseNoReplace_) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
        err = errno;
        if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP) failMoving(err);
    }
    // No RENAME_NOREPLACE here: a hard link cannot replace anything either.
    const bool linked = !refuseLinks_ && ::link(from.c_str(), to.c_str()) == 0;
    if (linked) {
        if (::unlink(from.c_str()) == 0) return;
        err = errno;
        ::unlink(to.c_str());  // back to the one name it had
        Fail(err, from);
    }
    const int linkErr = refuseLinks_ ? EPERM : errno;
    if (linkErr != EPERM && linkErr != EOPNOTSUPP && linkErr != ENOSYS) failMoving(linkErr);
    // Neither (some FUSE file systems): look, then rename, as "mv -n" does. A
    // file that takes the name between the two is replaced. The name of the
    // file itself in other case, where the file system folds case, is free.
    struct stat source, target;
    if (::lstat(to.c_str(), &target) == 0) {
        if (::lstat(from.c_str(), &source) != 0 || source.st_ino != target.st_ino || source.st_dev != target.st_dev) {
            Fail(EEXIST, to);
        }
    } else if (errno != ENOENT) {
        failMoving(errno);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) failMoving(errno);
}

void PosixDisk::RenameReplace(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        int err = errno;
        if (err == ENOENT && Stat(from).type != EntryType::None) Fail(ENOTDIR, to);
        Fail(err, from);
    }
}

void PosixDisk::Remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) Fail(errno, path);
}

void PosixDisk::MakeDir(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) Fail(errno == ENOENT ? ENOTDIR : errno, path);
}

void PosixDisk::RemoveDir(const std::string& path) {
    if (::rmdir(path.c_str()) != 0) Fail(errno, path);
}

void PosixDisk::SyncFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Fail(errno, path);
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (err != 0 && err != EINVAL) Fail(err, path);
}

void PosixDisk::CopyAttributes(const std::string& from, const std::string& to) {
    struct stat st;
    if (::stat(from.c_str(), &st) != 0) Fail(errno, from);
    // The owner first, as a change of owner clears the set-ID bits. Only root
    // may give a file away: for others the copy stays their own.
    if (::chown(to.c_str(), st.st_uid, st.st_gid) != 0 && errno != EPERM) Fail(errno, to);
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0) Fail(errno, to);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::utimensat(AT_FDCWD, to.c_str(), times, 0) != 0) Fail(errno, to);
}

bool PosixDisk::SameEntry(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool PosixDisk::MayWrite(const std::string& path) {
    // As the system decides for this process: root may write where the bits
    // say no, nobody on a read-only mount.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return true;
    return errno != EACCES && errno != EROFS && errno != EPERM;
}

std::size_t PosixDisk::MaxPathLength() { return PATH_MAX - 1; }

}  // namespace tcc
