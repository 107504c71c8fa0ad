#include "platform/headless/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <strings.h>

namespace kv::platform::headless {

namespace {

FileError fromErrno(int error) {
    switch (error) {
        case ENOENT: case ENOTDIR: return FileError::NotFound;
        case EACCES: case EPERM: case EROFS: return FileError::AccessDenied;
        case ENOSPC: case EDQUOT: return FileError::DiskFull;
        case EBUSY: case ETXTBSY: return FileError::Locked;
        default: return FileError::Other;
    }
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& posixPath) {
    auto slash = posixPath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : posixPath.substr(0, slash);
}

bool isRegularFile(const std::string& posixPath) {
    struct stat st {};
    return ::stat(posixPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string PosixFileSystem::resolve(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.empty() || isRegularFile(p)) return p;
    auto slash = p.rfind('/');
    std::string folder = slash == std::string::npos ? "." : folderOf(p);
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return p;
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    if (found.empty()) return p;
    return (slash == std::string::npos ? "" : p.substr(0, slash + 1)) + found;
}

FileError PosixFileSystem::readAll(const std::string& path, std::string& bytes) {
    const std::string p = resolve(path);
    int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileError::NotFound;
    }
    std::string out;
    if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            return fromErrno(error);
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    bytes = std::move(out);
    return FileError::None;
}

FileError PosixFileSystem::replaceAtomically(const std::string& path, const std::string& bytes) {
    const std::string p = resolve(path);
    const std::string temporary = p + ".kvtmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return fromErrno(errno);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return fromErrno(error);
    }
    ::close(fd);
    if (::rename(temporary.c_str(), p.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return fromErrno(error);
    }
    int dir = ::open(folderOf(p).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return FileError::None;
}

FileError PosixFileSystem::append(const std::string& path, const std::string& bytes) {
    const std::string p = resolve(path);
    int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return fromErrno(errno);
    bool ok = writeAll(fd, bytes);
    int error = errno;
    ::close(fd);
    return ok ? FileError::None : fromErrno(error);
}

FileError PosixFileSystem::probeWritable(const std::string& folder) {
    const std::string probe = resolve(folder) + "/.kvprobe";
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return fromErrno(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return FileError::None;
}

std::string PosixFileSystem::lookup(const std::string& path) {
    const std::string p = resolve(path);
    if (!isRegularFile(p)) return {};
    auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::optional<std::vector<std::string>> PosixFileSystem::subfolders(const std::string& folder) {
    std::string p = folder;
    for (char& c : p)
        if (c == '\\') c = '/';
    DIR* dir = ::opendir(p.c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (name != "." && name != ".." && ::stat((p + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<std::chrono::system_clock::time_point> PosixFileSystem::lastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(resolve(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::seconds(st.st_mtim.tv_sec) +
                                                                        std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
}

}  // namespace kv::platform::headless
