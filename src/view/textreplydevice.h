#pragma once
// CTextReplyDevice: the sequential, unbuffered device through which converted
// text streams into the engine while a producer thread is still writing it.
#include <QIODevice>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

class CTextReplyDevice : public QIODevice {
    Q_OBJECT
public:
    // The buffer shared with the producer; it outlives the device when the
    // engine drops the reply early.
    class Stream {
    public:
        // Appends bytes; waits while the reader is far behind. False once the
        // reader has gone (the producer should stop).
        bool Write(const char* data, size_t size);
        void Finish();
        bool Closed();

    private:
        friend class CTextReplyDevice;
        std::mutex m_mutex;
        std::condition_variable m_drained;
        std::string m_buffer;
        size_t m_readPos = 0;
        bool m_finished = false;
        bool m_closed = false;
        CTextReplyDevice* m_device = nullptr;  // null once the device is gone
    };

    explicit CTextReplyDevice(QObject* parent = nullptr);
    ~CTextReplyDevice() override;
    std::shared_ptr<Stream> SharedStream() const { return m_stream; }

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    qint64 bytesAvailable() const override;
    void close() override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<Stream> m_stream;
};
