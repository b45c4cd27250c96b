// The streaming device between the text conversion thread and the engine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "view/textreplydevice.h"

namespace {

// Reads whatever is there; -1 at the end, as the engine sees it.
std::string Drain(CTextReplyDevice& device, bool* ended) {
    std::string got;
    char buf[4096];
    for (;;) {
        qint64 n = device.read(buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<size_t>(n));
            continue;
        }
        *ended = n < 0;
        return got;
    }
}

}  // namespace

TEST(TextReplyDevice, EndsOnlyAfterFinishAndTheLastByte) {
    CTextReplyDevice device;
    auto stream = device.SharedStream();
    bool ended = false;
    EXPECT_EQ(Drain(device, &ended), "");
    EXPECT_FALSE(ended) << "nothing yet is not the end";
    EXPECT_FALSE(device.atEnd());
    ASSERT_TRUE(stream->Write("<html>", 6));
    stream->Finish();
    EXPECT_FALSE(device.atEnd()) << "unread bytes remain";
    EXPECT_EQ(device.bytesAvailable(), 6);
    EXPECT_EQ(Drain(device, &ended), "<html>");
    EXPECT_TRUE(ended);
    EXPECT_TRUE(device.atEnd());
}

TEST(TextReplyDevice, LargeOutputArrivesWholeAndInOrder) {
    CTextReplyDevice device;
    auto stream = device.SharedStream();
    const int kPieces = 3000;
    std::thread producer([stream] {
        for (int i = 0; i < kPieces; ++i) {
            std::string piece = std::to_string(i) + std::string(5000, 'x') + "\n";
            if (!stream->Write(piece.data(), piece.size())) return;
        }
        stream->Finish();
    });
    std::string all;
    bool ended = false;
    while (!ended) {
        all += Drain(device, &ended);
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    producer.join();
    size_t pos = 0;
    for (int i = 0; i < kPieces; ++i) {
        std::string head = std::to_string(i);
        ASSERT_EQ(all.compare(pos, head.size(), head), 0) << "piece " << i;
        pos = all.find('\n', pos) + 1;
    }
    EXPECT_EQ(pos, all.size());
}

TEST(TextReplyDevice, ProducerStopsWhenTheReaderGoesAway) {
    std::shared_ptr<CTextReplyDevice::Stream> stream;
    std::atomic<bool> refused{false};
    std::thread producer;
    {
        CTextReplyDevice device;
        stream = device.SharedStream();
        // More than the high-water mark, never read: the producer must block,
        // then be released when the device goes.
        producer = std::thread([stream, &refused] {
            std::string chunk(1 << 20, 'y');
            for (int i = 0; i < 64; ++i)
                if (!stream->Write(chunk.data(), chunk.size())) {
                    refused = true;
                    return;
                }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    producer.join();
    EXPECT_TRUE(refused);
    EXPECT_TRUE(stream->Closed());
}
