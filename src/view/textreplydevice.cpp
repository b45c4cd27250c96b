#include "view/textreplydevice.h"

#include <cstring>

namespace {
// The producer pauses when this much is buffered and unread, so a huge text
// is not converted far ahead of what the engine takes.
constexpr size_t kHighWater = 8 * 1024 * 1024;
}  // namespace

bool CTextReplyDevice::Stream::Write(const char* data, size_t size) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_drained.wait(lock, [this] { return m_closed || m_buffer.size() - m_readPos < kHighWater; });
    if (m_closed) return false;
    if (m_readPos > 0 && m_readPos == m_buffer.size()) {
        m_buffer.clear();
        m_readPos = 0;
    }
    m_buffer.append(data, size);
    // The engine connects to readyRead from its IO thread: the emission is
    // queued there; the lock keeps the device alive while it is emitted.
    if (m_device) Q_EMIT m_device->readyRead();
    return true;
}

void CTextReplyDevice::Stream::Finish() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    if (m_device) Q_EMIT m_device->readChannelFinished();
    if (m_device) Q_EMIT m_device->readyRead();
}

bool CTextReplyDevice::Stream::Closed() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closed;
}

CTextReplyDevice::CTextReplyDevice(QObject* parent) : QIODevice(parent), m_stream(std::make_shared<Stream>()) {
    m_stream->m_device = this;
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

CTextReplyDevice::~CTextReplyDevice() {
    std::lock_guard<std::mutex> lock(m_stream->m_mutex);
    m_stream->m_device = nullptr;
    m_stream->m_closed = true;
    m_stream->m_drained.notify_all();
}

void CTextReplyDevice::close() {
    {
        std::lock_guard<std::mutex> lock(m_stream->m_mutex);
        m_stream->m_closed = true;
        m_stream->m_drained.notify_all();
    }
    QIODevice::close();
}

bool CTextReplyDevice::atEnd() const {
    std::lock_guard<std::mutex> lock(m_stream->m_mutex);
    return m_stream->m_finished && m_stream->m_readPos == m_stream->m_buffer.size();
}

qint64 CTextReplyDevice::bytesAvailable() const {
    std::lock_guard<std::mutex> lock(m_stream->m_mutex);
    return static_cast<qint64>(m_stream->m_buffer.size() - m_stream->m_readPos);
}

qint64 CTextReplyDevice::readData(char* data, qint64 maxSize) {
    std::lock_guard<std::mutex> lock(m_stream->m_mutex);
    Stream& s = *m_stream;
    size_t available = s.m_buffer.size() - s.m_readPos;
    if (available == 0) return s.m_finished ? -1 : 0;
    size_t n = std::min(available, static_cast<size_t>(maxSize));
    std::memcpy(data, s.m_buffer.data() + s.m_readPos, n);
    s.m_readPos += n;
    if (s.m_readPos == s.m_buffer.size() || s.m_readPos > kHighWater) {
        s.m_buffer.erase(0, s.m_readPos);
        s.m_readPos = 0;
    }
    s.m_drained.notify_all();
    return static_cast<qint64>(n);
}
