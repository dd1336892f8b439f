#pragma once

namespace mpegdll {

// Where the bytes of a song come from: a file or the caller's stream callbacks. Offsets are
// absolute byte positions in the song.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes at the current position: the count, 0 at the end, -1 on failure.
    virtual long long read(void* buffer, long long size) = 0;
    // Moves to an absolute offset; false when the source cannot get there.
    virtual bool seek(long long offset) = 0;
    // The total size in bytes, -1 when unknown.
    virtual long long size() const = 0;
    virtual bool seekable() const = 0;
};

} // namespace mpegdll
