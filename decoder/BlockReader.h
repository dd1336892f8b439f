#pragma once

#include <cstddef>
#include <span>

namespace mpegdll {

class ByteSource;

// Reads a byte source in large blocks and hands out the small pieces the decoder asks for:
// scanning a file through frame-sized reads costs many times the time of reading it through
// a big buffer. The decoder sees only a window of the source, [begin, end), which hides tags
// and junk around the audio; its offsets are relative to the window.
class BlockReader
{
public:
    // The block is lent by the owner and outlives the reader; its contents are not assumed.
    BlockReader(ByteSource& source, std::span<unsigned char> block);

    // end -1: up to the end of the source, wherever it is.
    void setWindow(long long begin, long long end);
    long long windowBegin() const { return m_begin; }
    long long windowEnd() const { return m_end; }

    // Decoder side, relative to the window: like POSIX read and lseek (-1 on failure).
    long long read(void* buffer, size_t size);
    long long seek(long long offset, int whence);

    // Copies up to size bytes at an absolute offset of the source, whatever the window;
    // returns the count (short at the end of the source), -1 on failure.
    long long readAt(long long offset, void* buffer, size_t size);

private:
    // The first read after a jump is small: a probe needs the head of a file and a few bytes
    // at its end, not a megabyte. Reads on from there double up to the block's size.
    static constexpr size_t FirstRead = 32 * 1024;
    // readAt calls up to this size outside the block go straight to the source (tags at the
    // end), so that the block keeps the head of the stream. The decoder's reads always go
    // through the block: they are small and run on.
    static constexpr size_t DirectRead = 4096;

    bool fill(long long offset);
    long long readDirect(long long offset, unsigned char* out, size_t size);
    long long copyAt(long long offset, unsigned char* out, size_t size, bool direct);

    ByteSource& m_source;
    std::span<unsigned char> m_block;
    long long m_blockOffset = 0; // absolute offset of m_block[0]
    size_t m_blockFill = 0;
    size_t m_nextRead = FirstRead;
    long long m_sourcePosition = 0;
    bool m_sourceAtEnd = false; // the last fill reached the end of the source
    long long m_begin = 0;
    long long m_end = -1;
    long long m_position = 0; // absolute
};

} // namespace mpegdll
