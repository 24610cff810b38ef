#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::string SystemError(int err)
{
    return std::strerror(err);
}

void SetError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Creates a new file next to `path` that no one else uses; returns its descriptor, or
// -1 with errno set.
int CreateTemporary(const std::string& path, std::string* tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath =
            path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        const int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* error)
{
    if (path.empty()) {
        SetError(error, "Cannot write a file without a name.");
        return false;
    }
    std::string temp;
    const int fd = CreateTemporary(path, &temp);
    if (fd < 0) {
        SetError(error, "Cannot write " + path + ": " + SystemError(errno));
        return false;
    }

    auto fail = [&](int err) {
        ::unlink(temp.c_str());
        SetError(error, "Cannot write " + path + ": " + SystemError(err));
        return false;
    };

    // A replaced file keeps its permissions.
    struct stat old {
    };
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    if ((size > 0 && !WriteAll(fd, data, size)) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(errno);

    // Make the rename itself durable; a failure here no longer affects the content.
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* out, std::string* error,
                   std::size_t maxBytes)
{
    out->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "Cannot open " + path + ": " + SystemError(errno));
        return false;
    }
    struct stat st {
    };
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        SetError(error, "Cannot read " + path + ": " + SystemError(err));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        SetError(error, "Cannot read " + path + ": it is not a regular file.");
        return false;
    }
    auto tooLarge = [&] {
        ::close(fd);
        out->clear();
        SetError(error, "Cannot read " + path + ": the file is larger than " +
                            std::to_string(maxBytes) + " bytes.");
        return false;
    };
    if (std::uint64_t(st.st_size) > maxBytes)
        return tooLarge();
    // Small pages: large ones made reading a board of 40 MB take anything from 10 to
    // 120 ms while the system gathered free large pages; small ones take a steady 30.
    out->reserve(std::size_t(st.st_size));
    std::uint8_t buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            out->clear();
            SetError(error, "Cannot read " + path + ": " + SystemError(err));
            return false;
        }
        if (n == 0)
            break;
        // The file may have grown since it was measured.
        if (std::size_t(n) > maxBytes - out->size())
            return tooLarge();
        out->insert(out->end(), buffer, buffer + n);
    }
    ::close(fd);
    return true;
}
