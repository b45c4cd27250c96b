#pragma once
// The HTML produced for the browser and not yet read: a fill block being
// written, a FIFO of finished blocks and the block being read.

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace txtfilter {

// Writing (Append, End) and reading (ReadOut) may run on different threads;
// the lock guards the hand-over of the fill block, the FIFO and the ended
// flag. Bytes written become readable only when their fill block is handed
// over: when a later append does not fit into it, or at End.
class OutputQueue {
public:
    static constexpr size_t kBlockSize = 2048;

    OutputQueue() = default;
    ~OutputQueue();
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    // Appends n bytes; a single append is never split across blocks.
    void Append(const char* bytes, size_t n) {
        if (m_fill.data && m_fill.length + n <= m_fillCapacity) {
            std::memcpy(m_fill.data + m_fill.length, bytes, n);
            m_fill.length += n;
            return;
        }
        AppendToNewBlock(bytes, n);
    }
    void Append(const char* text) { Append(text, std::strlen(text)); }
    // Whether n more bytes fit into the current fill block.
    bool Fits(size_t n) const { return m_fill.data && m_fill.length + n <= m_fillCapacity; }

    // Hands the fill block over and marks the document complete.
    void End();
    bool Ended();

    // Copies up to `size` readable bytes to `out` and returns how many.
    // `*empty` is set when the copy stopped because nothing readable was left
    // (it stays false when `size` bytes were copied, even if none remain).
    size_t ReadOut(char* out, size_t size, bool* empty);

    // Bytes held in all blocks (written and not yet read); for tests and benchmarks.
    size_t HeldBytes();

private:
    struct Block {
        char* data = nullptr;
        size_t length = 0;
    };
    void AppendToNewBlock(const char* bytes, size_t n);

    std::mutex m_lock;
    Block m_fill;
    size_t m_fillCapacity = 0;
    std::deque<Block> m_fifo;
    Block m_read;
    size_t m_readPos = 0;
    bool m_ended = false;
    size_t m_fifoBytes = 0;
};

}  // namespace txtfilter
