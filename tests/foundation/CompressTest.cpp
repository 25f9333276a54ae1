#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/Compress.h"
#include "foundation/LzhufEncoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

// 32-byte bar records as the market-data path carries them: i64 key, four i32 prices in
// thousandths on a random walk, i64 volume.
Bytes BarBytes(size_t records, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(records * 32);
    int32_t close = 10000;
    for (size_t i = 0; i < records; ++i) {
        int64_t key = 20050104 + static_cast<int64_t>(i);
        int32_t open = close + static_cast<int32_t>(rng() % 101) - 50;
        int32_t c = open + static_cast<int32_t>(rng() % 201) - 100;
        int32_t high = std::max(open, c) + static_cast<int32_t>(rng() % 30);
        int32_t low = std::min(open, c) - static_cast<int32_t>(rng() % 30);
        int64_t volume = 100000 + rng() % 900000;
        uint8_t* p = b.data() + i * 32;
        std::memcpy(p, &key, 8);
        std::memcpy(p + 8, &open, 4);
        std::memcpy(p + 12, &high, 4);
        std::memcpy(p + 16, &low, 4);
        std::memcpy(p + 20, &c, 4);
        std::memcpy(p + 24, &volume, 8);
        close = c;
    }
    return b;
}

Bytes Text(size_t n) {
    const std::string words = "浦发银行 600000 上海 平安银行 000001 深圳 K线 成交量 除权 ";
    Bytes b;
    while (b.size() < n) b.insert(b.end(), words.begin(), words.end());
    b.resize(n);
    return b;
}

Bytes Header(uint32_t size) {
    return {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
            static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
}

int Decode(CCompress& c, const Bytes& in) {
    c.m_pInput = in.data();
    c.m_nInputLength = static_cast<int32_t>(in.size());
    return c.Decode();
}

Bytes Output(const CCompress& c) {
    return Bytes(c.GetOutput(), c.GetOutput() + c.GetOutputLength());
}

}  // namespace

TEST(Compress, RoundTripsInputsOfEveryShape) {
    struct Case {
        const char* name;
        Bytes data;
    } cases[] = {
        {"1 byte", {0x41}},
        {"4095 random", RandomBytes(4095, 1)},
        {"4096 random", RandomBytes(4096, 2)},
        {"4097 random", RandomBytes(4097, 3)},
        {"4097 text", Text(4097)},
        {"run of 5000 spaces", Bytes(5000, ' ')},
        {"run of 70000 x", Bytes(70000, 'x')},
        {"1,000,000 random", RandomBytes(1000000, 4)},
        {"1,000,000 bars", BarBytes(31250, 5)},
        {"1,000,000 text", Text(1000000)},
    };
    for (const Case& c : cases) {
        Bytes packed = LzhufEncode(c.data.data(), c.data.size());
        ASSERT_GE(packed.size(), 4u);
        EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 4), Header(c.data.size())) << c.name;
        CCompress dec;
        ASSERT_EQ(Decode(dec, packed), 1) << c.name;
        EXPECT_EQ(Output(dec), c.data) << c.name;
    }
}

TEST(Compress, RunsCompressNearTheExpansionBound) {
    // A long run is the best case; it must pass the size check, which shows that bound
    // is not tighter than real streams.
    Bytes zeros(1000000, 0);
    Bytes packed = LzhufEncode(zeros.data(), zeros.size());
    EXPECT_GT(zeros.size() / (packed.size() - 4), 30u);
    CCompress dec;
    ASSERT_EQ(Decode(dec, packed), 1);
    EXPECT_EQ(Output(dec), zeros);
}

TEST(Compress, EmptyPayloadHasNoAcceptedForm) {
    Bytes packed = LzhufEncode(nullptr, 0);
    EXPECT_EQ(packed, Header(0));
    CCompress dec;
    EXPECT_EQ(Decode(dec, packed), 0);
    EXPECT_EQ(dec.GetOutputLength(), 0);
}

TEST(Compress, SizeFieldRangeAndPlausibility) {
    struct Case {
        uint32_t size;
        size_t streamBytes;
        bool fits;
    } cases[] = {
        {0, 1000, false},
        {1, 1, true},
        {48, 1, true},
        {49, 1, false},
        {5, 0, false},  // a header with no stream cannot produce anything
        {0x10000000, 0x10000000 / 48 + 1, true},
        {0x10000000, 0x10000000 / 48 - 1, false},
        {0x10000001, size_t(1) << 32, false},
        {0xFFFFFFFF, size_t(1) << 32, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CCompress::SizeFitsInput(c.size, c.streamBytes), c.fits)
            << c.size << " from " << c.streamBytes;

    // Decode applies it before allocating anything.
    struct Refused {
        uint32_t size;
        size_t streamBytes;
    } refused[] = {{0, 60}, {0x10000000, 60}, {0x10000001, 60}, {5, 0}};
    for (auto [size, streamBytes] : refused) {
        CCompress dec;
        Bytes in = Header(size);
        in.resize(4 + streamBytes, 0xA5);
        EXPECT_EQ(Decode(dec, in), 0) << size;
        EXPECT_EQ(dec.GetOutput(), nullptr) << size;
    }
    CCompress dec;
    EXPECT_EQ(Decode(dec, {1, 0, 0}), 0) << "shorter than the size field";
}

TEST(Compress, StreamEndingBeforeTheSizeFails) {
    for (const Bytes& data : {RandomBytes(3000, 6), BarBytes(500, 7), Bytes(9000, 'q')}) {
        Bytes packed = LzhufEncode(data.data(), data.size());
        // Streams end exactly with their last needed bit: the decoder's look-ahead past
        // the end is not a shortage.
        CCompress dec;
        ASSERT_EQ(Decode(dec, packed), 1);
        for (size_t cut : {size_t(1), size_t(2), packed.size() / 2, packed.size() - 5}) {
            Bytes shorter(packed.begin(), packed.end() - cut);
            // Keep the size plausible for the shortened stream so the bit reader, not
            // the size check, is what notices.
            if (!CCompress::SizeFitsInput(data.size(), shorter.size() - 4)) continue;
            CCompress d2;
            EXPECT_EQ(Decode(d2, shorter), 0) << "cut " << cut << " of " << packed.size();
            EXPECT_EQ(d2.GetOutputLength(), 0);
        }
    }
}

TEST(Compress, LastMatchIsCopiedWholePastTheSize) {
    Bytes run(200, 'z');
    Bytes packed = LzhufEncode(run.data(), run.size());
    // Claim only 50 bytes: the symbol that crosses 50 is still copied in full.
    Bytes in = Header(50);
    in.insert(in.end(), packed.begin() + 4, packed.end());
    CCompress dec;
    ASSERT_EQ(Decode(dec, in), 1);
    EXPECT_GE(dec.GetOutputLength(), 50);
    EXPECT_LT(dec.GetOutputLength(), 50 + lzhuf::F);
    EXPECT_EQ(Output(dec), Bytes(dec.GetOutputLength(), 'z'));
}

TEST(Compress, SecondDecodeReusesOrReplacesTheOutputBlock) {
    Bytes big = BarBytes(2000, 8), small = Text(1000);
    Bytes packedBig = LzhufEncode(big.data(), big.size());
    Bytes packedSmall = LzhufEncode(small.data(), small.size());
    CCompress dec;
    ASSERT_EQ(Decode(dec, packedBig), 1);
    const uint8_t* block = dec.GetOutput();
    ASSERT_EQ(Decode(dec, packedSmall), 1);
    EXPECT_EQ(dec.GetOutput(), block) << "a smaller size reuses the block";
    EXPECT_EQ(Output(dec), small);
    Bytes bigger = RandomBytes(100000, 9);
    Bytes packedBigger = LzhufEncode(bigger.data(), bigger.size());
    ASSERT_EQ(Decode(dec, packedBigger), 1);
    EXPECT_EQ(Output(dec), bigger);
}

TEST(Compress, PositionTablesMatchTheirGroups) {
    // Group sizes of the position prefix code, counted over the 256-entry tables.
    int perLen[9] = {};
    int perValue[64] = {};
    for (int i = 0; i < 256; ++i) {
        ++perLen[lzhuf::d_len[i]];
        ++perValue[lzhuf::d_code[i]];
        if (i) {
            EXPECT_GE(lzhuf::d_code[i], lzhuf::d_code[i - 1]);
        }
    }
    EXPECT_EQ(perLen[3], 32);
    EXPECT_EQ(perLen[4], 48);
    EXPECT_EQ(perLen[5], 64);
    EXPECT_EQ(perLen[6], 48);
    EXPECT_EQ(perLen[7], 48);
    EXPECT_EQ(perLen[8], 16);
    EXPECT_EQ(perValue[0], 32);
    EXPECT_EQ(perValue[3], 16);
    EXPECT_EQ(perValue[4], 8);
    EXPECT_EQ(perValue[23], 4);
    EXPECT_EQ(perValue[47], 2);
    EXPECT_EQ(perValue[63], 1);
}
