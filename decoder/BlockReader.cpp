#include "BlockReader.h"

#include "ByteSource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mpegdll {

BlockReader::BlockReader(ByteSource& source, std::span<unsigned char> block)
    : m_source(source)
    , m_block(block)
{}

void BlockReader::setWindow(long long begin, long long end)
{
    m_begin = begin;
    m_end = end;
    m_position = begin;
}

bool BlockReader::fill(long long offset)
{
    // Reading on where the block ends adds to the block while it has room: the beginning of a
    // stream that cannot seek stays at hand after the search for its first frame.
    const long long blockEnd = m_blockOffset + static_cast<long long>(m_blockFill);
    const bool sequential = m_blockFill > 0 && offset == blockEnd;
    const bool append = sequential && m_blockFill < m_block.size() &&
                        (offset == m_sourcePosition || m_source.seekable());
    m_nextRead = sequential ? std::min(m_nextRead * 2, m_block.size()) : FirstRead;
    if (append && offset != m_sourcePosition) {
        if (!m_source.seek(offset))
            return false;
        m_sourcePosition = offset;
    }
    if (!append) {
        if (offset != m_sourcePosition) {
            if (!m_source.seek(offset))
                return false;
            m_sourcePosition = offset;
        }
        m_blockOffset = offset;
        m_blockFill = 0;
    }
    // One read per call: a stream that delivers in small pieces is not waited on for more.
    const size_t room = std::min(m_nextRead, m_block.size() - m_blockFill);
    const long long n = m_source.read(m_block.data() + m_blockFill, static_cast<long long>(room));
    if (n < 0) {
        m_sourcePosition = -1; // unknown: seek before the next read
        return false;
    }
    m_blockFill += static_cast<size_t>(n);
    m_sourcePosition += n;
    m_sourceAtEnd = n == 0;
    return true;
}

long long BlockReader::readDirect(long long offset, unsigned char* out, size_t size)
{
    if (offset != m_sourcePosition) {
        if (!m_source.seek(offset))
            return -1;
        m_sourcePosition = offset;
    }
    const long long n = m_source.read(out, static_cast<long long>(size));
    m_sourcePosition = n >= 0 ? m_sourcePosition + n : -1;
    return n;
}

long long BlockReader::readAt(long long offset, void* buffer, size_t size)
{
    if (offset < 0)
        return -1;
    return copyAt(offset, static_cast<unsigned char*>(buffer), size, size <= DirectRead);
}

long long BlockReader::copyAt(long long offset, unsigned char* out, size_t size, bool direct)
{
    size_t done = 0;
    while (done < size) {
        const long long at = offset + static_cast<long long>(done);
        const bool inBlock =
            at >= m_blockOffset && at < m_blockOffset + static_cast<long long>(m_blockFill);
        const long long blockEnd = m_blockOffset + static_cast<long long>(m_blockFill);
        if (direct && !inBlock && m_blockFill > 0 && at != blockEnd && m_source.seekable()) {
            const long long n = readDirect(at, out + done, size - done);
            if (n < 0)
                return done > 0 ? static_cast<long long>(done) : -1;
            if (n == 0)
                break;
            done += static_cast<size_t>(n);
            continue;
        }
        if (!inBlock) {
            // At the end of what the source holds there is nothing more to fetch.
            if (m_sourceAtEnd && at == m_blockOffset + static_cast<long long>(m_blockFill))
                break;
            const size_t before = m_blockFill;
            if (!fill(at))
                return done > 0 ? static_cast<long long>(done) : -1;
            if (m_blockFill == before && m_sourceAtEnd)
                break;
            if (at < m_blockOffset || at >= m_blockOffset + static_cast<long long>(m_blockFill))
                continue;
        }
        const size_t from = static_cast<size_t>(at - m_blockOffset);
        const size_t n = std::min(size - done, m_blockFill - from);
        std::memcpy(out + done, m_block.data() + from, n);
        done += n;
    }
    return static_cast<long long>(done);
}

long long BlockReader::read(void* buffer, size_t size)
{
    if (m_end >= 0)
        size = static_cast<size_t>(
            std::min<long long>(static_cast<long long>(size), std::max(0LL, m_end - m_position)));
    if (size == 0)
        return 0;
    const long long n = copyAt(m_position, static_cast<unsigned char*>(buffer), size, false);
    if (n > 0)
        m_position += n;
    return n;
}

long long BlockReader::seek(long long offset, int whence)
{
    long long target = 0;
    switch (whence) {
    case SEEK_SET:
        target = m_begin + offset;
        break;
    case SEEK_CUR:
        target = m_position + offset;
        break;
    case SEEK_END: {
        long long end = m_end;
        if (end < 0)
            end = m_source.size();
        if (end < 0)
            return -1;
        target = end + offset;
        break;
    }
    default:
        return -1;
    }
    if (target < m_begin)
        return -1;
    // A source that cannot seek still serves positions inside the block it holds.
    const bool buffered =
        target >= m_blockOffset && target <= m_blockOffset + static_cast<long long>(m_blockFill);
    if (!m_source.seekable() && target != m_position && !buffered)
        return -1;
    m_position = target;
    return m_position - m_begin;
}

} // namespace mpegdll
