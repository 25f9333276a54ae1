// Framing of the byte stream into messages, and the chunk collector of table downloads.

#include <event2/buffer.h>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "foundation/Buffer.h"
#include "marketdata/net/ChunkedDownload.h"
#include "marketdata/net/WireProtocol.h"

namespace {

struct Input {
    evbuffer* m_p = evbuffer_new();
    ~Input() { evbuffer_free(m_p); }
    void Add(const std::vector<uint8_t>& bytes, size_t from = 0, size_t to = SIZE_MAX) {
        to = std::min(to, bytes.size());
        evbuffer_add(m_p, bytes.data() + from, to - from);
    }
};

TEST(WireFraming, MessageSplitAcrossReadsIsTakenOnceComplete) {
    auto message = MakeMessage(10901, 7, {1, 2, 3, 4, 5});
    Input input;
    CDataHead head;
    CBuffer body;
    for (size_t cut : {1u, 27u, 28u, 32u}) {
        Input partial;
        partial.Add(message, 0, cut);
        EXPECT_EQ(wire::TakeMessage(partial.m_p, head, body), wire::FrameResult::kNeedMore) << cut;
        EXPECT_EQ(evbuffer_get_length(partial.m_p), cut)
            << "nothing is consumed before the whole message";
    }
    input.Add(message, 0, 30);
    ASSERT_EQ(wire::TakeMessage(input.m_p, head, body), wire::FrameResult::kNeedMore);
    input.Add(message, 30);
    ASSERT_EQ(wire::TakeMessage(input.m_p, head, body), wire::FrameResult::kMessage);
    EXPECT_EQ(head.m_wCommand, 10901);
    EXPECT_EQ(head.m_nSerial, 7);
    EXPECT_EQ(std::vector<uint8_t>(body.GetData(), body.GetData() + body.GetLength()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(evbuffer_get_length(input.m_p), 0u);
}

TEST(WireFraming, TwoMessagesInOneReadAndAnEmptyBodyAreAllTaken) {
    Input input;
    input.Add(MakeMessage(100, 1, {}));
    input.Add(MakeMessage(13001, 2, {9}));
    CDataHead head;
    CBuffer body;
    ASSERT_EQ(wire::TakeMessage(input.m_p, head, body), wire::FrameResult::kMessage);
    EXPECT_EQ(head.m_nSerial, 1);
    EXPECT_EQ(body.GetLength(), 0u);
    ASSERT_EQ(wire::TakeMessage(input.m_p, head, body), wire::FrameResult::kMessage);
    EXPECT_EQ(head.m_nSerial, 2);
    EXPECT_EQ(body.GetLength(), 1u);
    EXPECT_EQ(wire::TakeMessage(input.m_p, head, body), wire::FrameResult::kNeedMore);
}

TEST(WireFraming, WrongMarkerAndOversizedLengthAreRejectedWithoutAllocating) {
    auto bad = MakeMessage(10201, 1, {1});
    bad[0] = 0x16;
    bad[1] = 0x88;
    Input wrong;
    wrong.Add(bad);
    CDataHead head;
    CBuffer body;
    EXPECT_EQ(wire::TakeMessage(wrong.m_p, head, body), wire::FrameResult::kBadMarker);

    auto huge = MakeMessage(10201, 1, {});
    uint32_t length = wire::kMaxBodyLength + 1;
    std::memcpy(&huge[14], &length, 4);
    Input oversized;
    oversized.Add(huge);
    EXPECT_EQ(wire::TakeMessage(oversized.m_p, head, body), wire::FrameResult::kOversized);
    EXPECT_EQ(body.GetCapacity(), 0u) << "no storage for a body that will never come";
}

TEST(ChunkedDownload, CollectsUpToTheAnnouncedTotalAndNoFurther) {
    CChunkedDownload download;
    ASSERT_TRUE(download.Begin(5));
    ASSERT_TRUE(download.Add({1, 2, 3}));
    EXPECT_FALSE(download.IsComplete());
    EXPECT_FALSE(download.Add({4, 5, 6})) << "would pass the total";
    EXPECT_EQ(download.GetReceived(), 3u);
    ASSERT_TRUE(download.Add({4, 5}));
    EXPECT_TRUE(download.IsComplete());
    EXPECT_EQ(download.Take(), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST(ChunkedDownload, RejectsChunksWithoutStartAndHugeTotals) {
    CChunkedDownload download;
    EXPECT_FALSE(download.Add({1}));
    EXPECT_FALSE(download.Begin(wire::kMaxDownloadLength + 1));
    EXPECT_FALSE(download.Add({1})) << "a refused total starts nothing";
    EXPECT_EQ(download.GetReceived(), 0u);
}

}  // namespace
