#include "txtfilter/outputqueue.h"

#include <algorithm>
#include <new>

namespace txtfilter {

OutputQueue::~OutputQueue() {
    std::free(m_fill.data);
    std::free(m_read.data);
    for (Block& b : m_fifo) std::free(b.data);
}

void OutputQueue::AppendToNewBlock(const char* bytes, size_t n) {
    if (n == 0) return;
    const size_t capacity = std::max(kBlockSize, n);
    char* data = static_cast<char*>(std::malloc(capacity));
    if (!data) throw std::bad_alloc();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_fill.data) {
            m_fifo.push_back(m_fill);
            m_fifoBytes += m_fill.length;
        }
        m_ended = false;
    }
    m_fill.data = data;
    m_fill.length = n;
    m_fillCapacity = capacity;
    std::memcpy(data, bytes, n);
}

void OutputQueue::End() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fill.data) {
        m_fifo.push_back(m_fill);
        m_fifoBytes += m_fill.length;
        m_fill = Block{};
        m_fillCapacity = 0;
    }
    m_ended = true;
}

bool OutputQueue::Ended() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ended;
}

size_t OutputQueue::ReadOut(char* out, size_t size, bool* empty) {
    size_t copied = 0;
    *empty = false;
    while (copied < size) {
        if (!m_read.data || m_readPos == m_read.length) {
            std::free(m_read.data);
            m_read = Block{};
            m_readPos = 0;
            std::lock_guard<std::mutex> lock(m_lock);
            if (m_fifo.empty()) {
                *empty = true;
                return copied;
            }
            m_read = m_fifo.front();
            m_fifo.pop_front();
            m_fifoBytes -= m_read.length;
        }
        const size_t n = std::min(size - copied, m_read.length - m_readPos);
        std::memcpy(out + copied, m_read.data + m_readPos, n);
        copied += n;
        m_readPos += n;
    }
    return copied;
}

size_t OutputQueue::HeldBytes() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fifoBytes + m_fill.length + (m_read.length - m_readPos);
}

}  // namespace txtfilter
