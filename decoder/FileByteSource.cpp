#include "FileByteSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mpegdll {

std::unique_ptr<FileByteSource> FileByteSource::open(const char* path)
{
    if (path == nullptr || *path == '\0')
        return nullptr;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, st.st_size));
}

FileByteSource::FileByteSource(int fd, long long size)
    : m_fd(fd)
    , m_size(size)
{}

FileByteSource::~FileByteSource()
{
    ::close(m_fd);
}

long long FileByteSource::read(void* buffer, long long size)
{
    if (size <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, buffer, static_cast<size_t>(size), m_position);
        if (n >= 0) {
            m_position += n;
            return n;
        }
        if (errno != EINTR)
            return -1;
    }
}

bool FileByteSource::seek(long long offset)
{
    if (offset < 0)
        return false;
    m_position = offset;
    return true;
}

} // namespace mpegdll
