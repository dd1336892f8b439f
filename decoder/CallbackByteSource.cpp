#include "CallbackByteSource.h"

namespace mpegdll {

std::unique_ptr<CallbackByteSource> CallbackByteSource::open(const Callbacks& callbacks)
{
    if (callbacks.read == nullptr)
        return nullptr;
    if (callbacks.open != nullptr && callbacks.open(callbacks.context) == 0)
        return nullptr;
    return std::unique_ptr<CallbackByteSource>(new CallbackByteSource(callbacks));
}

CallbackByteSource::CallbackByteSource(const Callbacks& callbacks)
    : m_callbacks(callbacks)
{
    if (m_callbacks.getSize != nullptr) {
        const long long size = m_callbacks.getSize(m_callbacks.context);
        m_size = size >= 0 ? size : -1;
    }
}

CallbackByteSource::~CallbackByteSource()
{
    if (m_callbacks.close != nullptr)
        m_callbacks.close(m_callbacks.context);
}

long long CallbackByteSource::read(void* buffer, long long size)
{
    if (size <= 0)
        return 0;
    const long long n = m_callbacks.read(m_callbacks.context, buffer, size);
    if (n < 0 || n > size)
        return -1;
    m_position += n;
    return n;
}

bool CallbackByteSource::seek(long long offset)
{
    if (offset < 0)
        return false;
    if (offset == m_position)
        return true;
    if (m_callbacks.seek != nullptr) {
        if (m_callbacks.seek(m_callbacks.context, offset) != offset)
            return false;
        m_position = offset;
        return true;
    }
    if (offset == 0 && m_callbacks.restart != nullptr &&
        m_callbacks.restart(m_callbacks.context) != 0) {
        m_position = 0;
        return true;
    }
    return false;
}

} // namespace mpegdll
