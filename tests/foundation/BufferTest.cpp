#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/Buffer.h"

namespace {

std::vector<uint8_t> Contents(const CBuffer& b) {
    return std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetLength());
}

CBuffer FromBytes(const std::vector<uint8_t>& bytes) {
    CBuffer b;
    b.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return b;
}

std::string ReadFileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "bufXXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const char* name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(Buffer, MinimumBlockSizeIsPageMultipleOfAtLeast8K) {
    uint32_t page = static_cast<uint32_t>(sysconf(_SC_PAGESIZE));
    uint32_t min = CBuffer::MinimumBlockSize();
    EXPECT_GE(min, 8192u);
    EXPECT_EQ(min % page, 0u);
    EXPECT_LT(min - 8192, page);
}

TEST(Buffer, ReserveGrowsFromMinimumBlockByDoubling) {
    const uint32_t min = CBuffer::MinimumBlockSize();
    struct Case {
        uint32_t total, expected;
    } cases[] = {{1, min}, {min, min}, {min + 1, 2 * min}, {20000, min == 8192 ? 32768u : 0u}};
    for (const Case& c : cases) {
        if (c.expected == 0) continue;  // the 20,000 case assumes 4 KB pages
        CBuffer b;
        EXPECT_EQ(b.Reserve(c.total), c.expected) << c.total;
        EXPECT_EQ(b.GetCapacity(), c.expected);
        EXPECT_EQ(b.Reserve(c.total), 0u) << "room already there";
    }
}

TEST(Buffer, ReserveMovesContentsToFrontWhenRoomIsBehindThem) {
    CBuffer b;
    b.m_bShrinkLocked = true;
    std::vector<uint8_t> data(8000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    b.Write(data.data(), 8000);
    const uint32_t cap = b.GetCapacity();
    b.Read(nullptr, 7000);
    EXPECT_EQ(b.GetReadOffset(), 7000u);
    // 1000 left + 2000 new fits the block only once the contents move to the front.
    EXPECT_EQ(b.Reserve(3000), cap);
    EXPECT_EQ(b.GetReadOffset(), 0u);
    EXPECT_EQ(Contents(b), std::vector<uint8_t>(data.begin() + 7000, data.end()));
}

TEST(Buffer, WritesAreLittleEndianAndReadBack) {
    CBuffer b;
    b.WriteUInt8(0xAB);
    b.WriteUInt16(0x1234);
    b.WriteUInt32(0x89ABCDEF);
    b.WriteUInt64(0x0102030405060708ull);
    b.WriteInt64(-2);
    b.WriteInt32(-3);
    std::vector<uint8_t> expected = {0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 8,    7,
                                     6,    5,    4,    3,    2,    1,    0xFE, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Contents(b), expected);
    EXPECT_EQ(b.ReadUInt8(), 0xAB);
    EXPECT_EQ(b.ReadUInt16(), 0x1234);
    EXPECT_EQ(b.ReadUInt32(), 0x89ABCDEFu);
    EXPECT_EQ(b.ReadUInt64(), 0x0102030405060708ull);
    EXPECT_EQ(b.ReadInt64(), -2);
    EXPECT_EQ(b.ReadInt32(), -3);
    EXPECT_TRUE(b.IsEmpty());
}

TEST(Buffer, ShortReadThrowsMinusOneAndLeavesStateUnchanged) {
    std::string s;
    uint8_t sink[16];
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::function<void(CBuffer&)> read;
    } cases[] = {
        {"u8 of 0", {}, [](CBuffer& b) { b.ReadUInt8(); }},
        {"u16 of 1", {1}, [](CBuffer& b) { b.ReadUInt16(); }},
        {"u32 of 3", {1, 2, 3}, [](CBuffer& b) { b.ReadUInt32(); }},
        {"u64 of 7", {1, 2, 3, 4, 5, 6, 7}, [](CBuffer& b) { b.ReadInt64(); }},
        {"Read 5 of 4", {1, 2, 3, 4}, [&](CBuffer& b) { b.Read(sink, 5); }},
        {"string length only", {1}, [&](CBuffer& b) { b.ReadString(s); }},
        {"string longer than rest", {5, 0, 'a', 'b', 'c'}, [&](CBuffer& b) { b.ReadString(s); }},
        {"string 0xFFFF of 3", {0xFF, 0xFF, 'a', 'b', 'c'}, [&](CBuffer& b) { b.ReadString(s); }},
    };
    for (const Case& c : cases) {
        for (bool peek : {false, true}) {
            // One byte consumed first, so the read offset is not trivially 0.
            std::vector<uint8_t> bytes = {0xEE};
            bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
            CBuffer b = FromBytes(bytes);
            b.ReadUInt8();
            b.m_bPeekMode = peek;
            const uint32_t len = b.GetLength(), off = b.GetReadOffset(), cur = b.m_nPeekCursor;
            try {
                c.read(b);
                ADD_FAILURE() << c.name << ": no throw";
            } catch (const CParseError& e) {
                EXPECT_EQ(e.Problem().rfind("short read", 0), 0u) << c.name << ": " << e.what();
            }
            EXPECT_EQ(b.GetLength(), len) << c.name;
            EXPECT_EQ(b.GetReadOffset(), off) << c.name;
            EXPECT_EQ(b.m_nPeekCursor, cur) << c.name;
            EXPECT_EQ(Contents(b), c.bytes) << c.name;
        }
    }
}

TEST(Buffer, PeekModeCopiesWithoutConsuming) {
    CBuffer b = FromBytes({1, 0, 0, 0, 2, 0});
    b.m_bPeekMode = true;
    EXPECT_EQ(b.ReadUInt32(), 1u);
    EXPECT_EQ(b.ReadUInt16(), 2u);
    EXPECT_EQ(b.GetLength(), 6u);
    EXPECT_EQ(b.m_nPeekCursor, 6u);
    EXPECT_THROW(b.ReadUInt8(), CParseError);
    // Leaving peek mode reads from the unconsumed front again.
    b.m_bPeekMode = false;
    b.m_nPeekCursor = 0;
    EXPECT_EQ(b.ReadUInt32(), 1u);
    EXPECT_EQ(b.GetLength(), 2u);
}

TEST(Buffer, ShrinkAfterReadHonoursFloorAndLock) {
    struct Case {
        uint32_t floor;
        bool locked;
        uint32_t expected;
    } cases[] = {{0, false, 128}, {8192, false, 8192}, {0, true, 65536}, {65536, false, 65536}};
    for (const Case& c : cases) {
        CBuffer b;
        b.m_nShrinkFloor = c.floor;
        b.m_bShrinkLocked = c.locked;
        ASSERT_EQ(b.Reserve(65536), 65536u);
        std::vector<uint8_t> data(101);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
        b.Write(data.data(), 101);
        EXPECT_EQ(b.ReadUInt8(), 0);
        EXPECT_EQ(b.GetCapacity(), c.expected) << "floor " << c.floor << " locked " << c.locked;
        EXPECT_EQ(Contents(b), std::vector<uint8_t>(data.begin() + 1, data.end()));
    }
}

TEST(Buffer, LargeBufferGrowsAndShrinksKeepingContents) {
    // Megabyte blocks grow in place and give pages back from both ends as they are read.
    const uint32_t page = static_cast<uint32_t>(sysconf(_SC_PAGESIZE));
    std::vector<uint8_t> data(3 * 1024 * 1024 + 123);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 31 + (i >> 12));
    CBuffer b;
    b.WriteUInt8(0);
    b.Reserve(300 * 1024);
    b.ReadUInt8();
    // Growing with unread bytes not at the front of a large block.
    b.m_bShrinkLocked = true;
    b.Write(data.data(), 1000);
    b.Read(nullptr, 500);
    b.Write(data.data() + 1000, static_cast<uint32_t>(data.size() - 1000));
    b.m_bShrinkLocked = false;
    size_t consumed = 500;
    EXPECT_EQ(b.GetCapacity(), 4u * 1024 * 1024);
    std::vector<uint32_t> capacities;
    for (uint32_t step : {777u, 1500000u, 400000u, 300000u, 100000u, 600000u, 190000u}) {
        b.Read(nullptr, step);
        consumed += step;
        ASSERT_EQ(b.GetLength(), data.size() - consumed);
        ASSERT_EQ(0, std::memcmp(b.GetData(), data.data() + consumed, b.GetLength()));
        EXPECT_LT(b.GetReadOffset(), b.GetCapacity());
        EXPECT_LE(b.GetReadOffset() + b.GetLength(), b.GetCapacity());
        // The capacity the halving rule asks for, give or take the page that spares a move.
        EXPECT_LT(b.GetCapacity(),
                  std::max<uint64_t>(2ull * b.GetLength() + page, 4u * 1024 * 1024));
        capacities.push_back(b.GetCapacity());
    }
    EXPECT_LT(b.GetCapacity(), 128u * 1024) << "ends on a heap block";
    EXPECT_LT(capacities[1], 4u * 1024 * 1024);
    // Still a working buffer after the moves.
    b.WriteUInt32(0xA1B2C3D4);
    b.Read(nullptr, b.GetLength() - 4);
    EXPECT_EQ(b.ReadUInt32(), 0xA1B2C3D4u);
}

TEST(Buffer, EmptiedBufferKeepsItsBlockAndOffset) {
    CBuffer b;
    b.Reserve(65536);
    b.WriteUInt32(7);
    b.ReadUInt32();
    EXPECT_EQ(b.GetCapacity(), 65536u);
    EXPECT_EQ(b.GetReadOffset(), 4u);
    EXPECT_EQ(b.Shrink(0), 0u) << "an empty buffer with no floor keeps its block";
    b.WriteUInt8(1);
    EXPECT_EQ(b.Shrink(0), 0u) << "shrinking below the contents is refused";
}

TEST(Buffer, WriteStringBytes) {
    struct Case {
        std::string text;
        std::vector<uint8_t> bytes;
    } cases[] = {{"", {0, 0}}, {"abc", {3, 0, 'a', 'b', 'c'}}};
    for (const Case& c : cases) {
        CBuffer b;
        EXPECT_EQ(b.WriteString(c.text), static_cast<int32_t>(c.bytes.size()));
        EXPECT_EQ(Contents(b), c.bytes);
    }
    CBuffer b;
    EXPECT_THROW(b.WriteString(std::string(70000, 'x')), std::length_error);
    EXPECT_TRUE(b.IsEmpty());
}

TEST(Buffer, ReadStringLengthsAreUnsignedAndStopAtNul) {
    struct Case {
        std::string stored;  // written with its u16 count
        std::string expected;
    } cases[] = {
        {"", ""},
        {"abc", "abc"},
        {std::string("ab\0cd", 5), "ab"},
        {std::string(0x8000, 'x'), std::string(0x8000, 'x')},
        {std::string(0xFFFF, 'y'), std::string(0xFFFF, 'y')},
    };
    for (const Case& c : cases) {
        CBuffer b;
        b.WriteString(c.stored);
        b.WriteUInt8(0x5A);  // what follows the string must stay in place
        std::string out = "stale";
        EXPECT_EQ(b.ReadString(out), static_cast<int32_t>(c.stored.size() + 2));
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(b.ReadUInt8(), 0x5A);
    }
}

TEST(Buffer, ExtendAppendsZeroedBytesToFillLater) {
    CBuffer b;
    b.WriteUInt8(1);
    uint8_t* p = b.Extend(4);
    EXPECT_EQ(b.GetLength(), 5u);
    EXPECT_EQ(p, b.GetData() + 1);
    p[3] = 9;
    EXPECT_EQ(Contents(b), (std::vector<uint8_t>{1, 0, 0, 0, 9}));
}

TEST(Buffer, MoveTransfersStorage) {
    CBuffer a = FromBytes({1, 2, 3});
    a.m_bShrinkLocked = true;
    CBuffer b(std::move(a));
    EXPECT_EQ(Contents(b), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(b.m_bShrinkLocked);
    EXPECT_EQ(a.GetLength(), 0u);
    EXPECT_EQ(a.GetCapacity(), 0u);
    a = std::move(b);
    EXPECT_EQ(Contents(a), (std::vector<uint8_t>{1, 2, 3}));
    a.WriteUInt8(4);  // the moved-to buffer stays usable
    EXPECT_EQ(a.GetLength(), 4u);
}

TEST(Buffer, SaveToFileReplacesFileAndKeepsContents) {
    TempDir dir;
    auto path = dir / "code.dat";
    std::ofstream(path) << "old contents";
    CBuffer empty;
    EXPECT_EQ(empty.SaveToFile(path.string()), 1);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    CBuffer b = FromBytes({'x', 'y', 'z'});
    EXPECT_EQ(b.SaveToFile(path.string()), 1);
    EXPECT_EQ(ReadFileBytes(path), "xyz");
    EXPECT_EQ(b.GetLength(), 3u) << "saving does not consume";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / ""),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";

    EXPECT_EQ(b.SaveToFile((dir / "missing/dir/file").string()), 0);
}

TEST(Buffer, SaveToFileReportsWriteErrorAndKeepsOldFile) {
    TempDir dir;
    auto path = dir / "cq.dat";
    std::ofstream(path) << "precious";
    std::vector<uint8_t> big(100000, 0x42);
    CBuffer b = FromBytes(big);

    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = b.SaveToFile(path.string());
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / ""),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(Buffer, AppendFileAddsWholeFile) {
    TempDir dir;
    auto path = dir / "cq.dat";
    std::string bytes(20000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13);
    std::ofstream(path, std::ios::binary) << bytes;

    CBuffer b = FromBytes({'h'});
    EXPECT_EQ(b.AppendFile(path.string()), 1);
    ASSERT_EQ(b.GetLength(), 20001u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.GetData()) + 1, 20000), bytes);

    EXPECT_EQ(b.AppendFile((dir / "absent").string()), 0);
    EXPECT_EQ(b.AppendFile((dir / "").string()), 0) << "a directory is not a file";
    EXPECT_EQ(b.GetLength(), 20001u);
}
