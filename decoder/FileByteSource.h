#pragma once

#include "ByteSource.h"

#include <memory>

namespace mpegdll {

// A regular file read with pread(). Anything else (a folder, a FIFO, a device) is refused at
// opening, so that a read can never block on a pipe or wander through a directory.
class FileByteSource : public ByteSource
{
public:
    // Null when the path is not a readable regular file.
    static std::unique_ptr<FileByteSource> open(const char* path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    long long read(void* buffer, long long size) override;
    bool seek(long long offset) override;
    long long size() const override { return m_size; }
    bool seekable() const override { return true; }

private:
    FileByteSource(int fd, long long size);

    int m_fd;
    long long m_size;
    long long m_position = 0;
};

} // namespace mpegdll
