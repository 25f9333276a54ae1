#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "common/ScratchDir.h"
#include "marketdata/DataFile.h"

namespace {
constexpr uint32_t kDayBlock = 12800;

uint32_t U32At(const std::string& path, uint64_t offset) {
    std::ifstream f(path, std::ios::binary);
    f.seekg(std::streamoff(offset));
    uint32_t v = 0;
    f.read(reinterpret_cast<char*>(&v), 4);
    return v;
}

void PutU32At(const std::string& path, uint64_t offset, uint32_t v) {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(std::streamoff(offset));
    f.write(reinterpret_cast<const char*>(&v), 4);
}

CDayItem Bar(int64_t key, int32_t close = 0) {
    CDayItem b;
    b.m_nTime = key;
    b.m_nOpen = b.m_nHigh = b.m_nLow = b.m_nClose = close ? close : int32_t(key % 100000);
    b.m_nVolume = key * 3;
    return b;
}

std::vector<CDayItem> Bars(int64_t from, int n) {
    std::vector<CDayItem> v;
    for (int i = 0; i < n; ++i) v.push_back(Bar(from + i));
    return v;
}

std::vector<int64_t> Keys(const std::vector<CDayItem>& bars) {
    std::vector<int64_t> k;
    for (auto& b : bars) k.push_back(b.m_nTime);
    return k;
}

std::vector<CDayItem> Read(CDataFile& f, uint32_t market, const std::string& code) {
    std::vector<CDayItem> out;
    f.ReadDayItems(market, code, out);
    return out;
}

struct DayFile {
    CDataFile file{32, 399, kDayBlock};
};
}  // namespace

TEST(DataFile, NewDayFileHasTheHeaderLayout) {
    ScratchDir dir;
    std::string path = dir.File("day.dat");
    CDataFile f(32, 399, kDayBlock);
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(std::filesystem::file_size(path), 253u * 12800 + 1);
    std::ifstream in(path, std::ios::binary);
    char name[32];
    in.read(name, 32);
    EXPECT_EQ(std::string(name, 8), "DataFile");
    EXPECT_EQ(std::string(name + 8, 24), std::string(24, '\0'));
    EXPECT_EQ(U32At(path, 32), 12800u);
    EXPECT_EQ(U32At(path, 36), 253u);
    EXPECT_EQ(U32At(path, 40), 253u);
    EXPECT_EQ(U32At(path, 44), 0u);
}

TEST(DataFile, ReadsAFileBuiltByteByByte) {
    // One security, market 1 code "600000", three records in block 253 and two in 254,
    // with a store of three records per block.
    ScratchDir dir;
    std::string path = dir.File("tiny.dat");
    const uint32_t block = 4096, rpb = 3;
    const uint32_t headerBlocks = (block + CDataFile::kHeaderSize - 1) / block;
    std::vector<uint8_t> bytes(size_t(headerBlocks + 2) * block + 1, 0);
    auto put = [&](size_t at, uint32_t v) { memcpy(&bytes[at], &v, 4); };
    memcpy(bytes.data(), "DataFile", 8);
    put(32, block);
    put(36, headerBlocks + 2);
    put(40, headerBlocks + 2);
    put(44, 1);
    put(48, 1);
    memcpy(&bytes[52], "600000", 6);
    put(48 + 132, 5);
    put(48 + 136, headerBlocks);
    put(48 + 140, headerBlocks + 1);
    auto putBlock = [&](uint32_t b, uint32_t next, std::vector<CDayItem> recs) {
        size_t at = size_t(b) * block;
        put(at, next);
        put(at + 4, uint32_t(recs.size()));
        memcpy(&bytes[at + 12], recs.data(), recs.size() * 32);
    };
    putBlock(headerBlocks, headerBlocks + 1, Bars(20240101, 3));
    putBlock(headerBlocks + 1, 0, Bars(20240104, 2));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));

    CDataFile f(32, rpb, block);
    ASSERT_TRUE(f.Open(path));
    auto got = Read(f, 1, "600000");
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(Keys(got), Keys(Bars(20240101, 5)));
    EXPECT_EQ(got[4].m_nVolume, 20240105 * 3);
    EXPECT_TRUE(Read(f, 2, "600000").empty());
    EXPECT_TRUE(Read(f, 1, "600001").empty());

    // The generic reader gives the same bytes.
    std::vector<uint8_t> raw;
    EXPECT_EQ(f.ReadItems(1, "600000", raw), 5u);
    EXPECT_EQ(0, memcmp(raw.data(), got.data(), 5 * 32));
}

TEST(DataFile, AppendsAcrossBlockBoundaries) {
    ScratchDir dir;
    std::string path = dir.File("day.dat");
    {
        CDataFile f(32, 399, kDayBlock);
        ASSERT_TRUE(f.Open(path));
        auto bars = Bars(1, 400);
        ASSERT_TRUE(f.AppendItems(400, 1, "600000", bars.data()));
        EXPECT_EQ(U32At(path, 253 * 12800), 254u);
        EXPECT_EQ(U32At(path, 253 * 12800 + 4), 399u);
        EXPECT_EQ(U32At(path, 254 * 12800), 0u);
        EXPECT_EQ(U32At(path, 254 * 12800 + 4), 1u);
        EXPECT_EQ(U32At(path, 48 + 132), 400u);
        EXPECT_EQ(U32At(path, 48 + 136), 253u);
        EXPECT_EQ(U32At(path, 48 + 140), 254u);
    }
    CDataFile f(32, 399, kDayBlock);
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(Keys(Read(f, 1, "600000")), Keys(Bars(1, 400)));
}

TEST(DataFile, AppendAfterAFullBlockStartsANewBlock) {
    // A total that is an exact multiple of the block's records: the next append must go
    // into a new block, never over the full one.
    ScratchDir dir;
    CDataFile f(32, 399, kDayBlock);
    ASSERT_TRUE(f.Open(dir.File("day.dat")));
    auto first = Bars(1, 399);
    ASSERT_TRUE(f.AppendItems(399, 1, "600000", first.data()));
    auto second = Bars(1000, 5);
    ASSERT_TRUE(f.AppendItems(5, 1, "600000", second.data()));
    auto third = Bars(2000, 399 + 395);  // 1,198 in all: three full blocks and one record
    ASSERT_TRUE(f.AppendItems(uint32_t(third.size()), 1, "600000", third.data()));

    std::vector<int64_t> expected = Keys(first);
    for (auto& v : {second, third})
        for (auto& b : v) expected.push_back(b.m_nTime);
    EXPECT_EQ(Keys(Read(f, 1, "600000")), expected);
    EXPECT_EQ(f.GetNextFreeBlock(), 257u);

    // A second security gets its own blocks after the first one's.
    auto other = Bars(5000, 2);
    ASSERT_TRUE(f.AppendItems(2, 2, "000001", other.data()));
    EXPECT_EQ(f.GetNextFreeBlock(), 258u);
    EXPECT_EQ(Keys(Read(f, 1, "600000")), expected);
}

TEST(DataFile, ClearKeepsTheChainForReuse) {
    ScratchDir dir;
    std::string path = dir.File("day.dat");
    CDataFile f(32, 399, kDayBlock);
    ASSERT_TRUE(f.Open(path));
    auto bars = Bars(1, 500);
    ASSERT_TRUE(f.AppendItems(500, 1, "600000", bars.data()));
    ASSERT_TRUE(f.ClearItems(1, "600000"));
    EXPECT_TRUE(Read(f, 1, "600000").empty());
    EXPECT_EQ(f.GetItemCount(1, "600000"), 0u);

    auto ten = Bars(9000, 10);
    ASSERT_TRUE(f.AppendItems(10, 1, "600000", ten.data()));
    EXPECT_EQ(U32At(path, 253 * 12800), 254u);  // the old next link stays
    EXPECT_EQ(U32At(path, 253 * 12800 + 4), 10u);
    EXPECT_EQ(Keys(Read(f, 1, "600000")), Keys(ten));

    // Filling past the first block reuses the old second block instead of allocating.
    uint32_t nextFree = f.GetNextFreeBlock();
    auto more = Bars(10000, 450);
    ASSERT_TRUE(f.AppendItems(450, 1, "600000", more.data()));
    EXPECT_EQ(f.GetNextFreeBlock(), nextFree);
    auto all = Keys(ten);
    for (auto& b : more) all.push_back(b.m_nTime);
    EXPECT_EQ(Keys(Read(f, 1, "600000")), all);

    // Clearing an unknown security does nothing and succeeds.
    EXPECT_TRUE(f.ClearItems(9, "nothing"));
}

TEST(DataFile, MatchesAnInMemoryModelOverRandomOperations) {
    ScratchDir dir;
    std::string path = dir.File("model.dat");
    auto f = std::make_unique<CDataFile>(32, 5, 1024);  // tiny blocks: boundaries everywhere
    ASSERT_TRUE(f->Open(path));
    std::map<std::pair<uint32_t, std::string>, std::vector<int64_t>> model;
    std::mt19937 rng(12345);
    const std::vector<std::string> codes = {"600000", "600001", "000001", "300750", "a"};
    int64_t key = 1;
    for (int step = 0; step < 1500; ++step) {
        uint32_t market = 1 + rng() % 2;
        const std::string& code = codes[rng() % codes.size()];
        auto& held = model[{market, code}];
        int op = int(rng() % 10);
        if (op < 7) {
            int n = int(rng() % 13);
            auto bars = Bars(key, n);
            key += n;
            ASSERT_TRUE(f->AppendItems(uint32_t(n), market, code, bars.data()));
            for (auto& b : bars) held.push_back(b.m_nTime);
        } else if (op < 9) {
            ASSERT_TRUE(f->ClearItems(market, code));
            held.clear();
        } else {
            f = std::make_unique<CDataFile>(32, 5, 1024);
            ASSERT_TRUE(f->Open(path));
        }
        if (step % 50 == 0) {
            for (auto& [k, keys] : model)
                ASSERT_EQ(Keys(Read(*f, k.first, k.second)), keys) << "step " << step;
        }
    }
    for (auto& [k, keys] : model) EXPECT_EQ(Keys(Read(*f, k.first, k.second)), keys);
}

TEST(DataFile, DamagedFilesLoadWhatIsSound) {
    ScratchDir dir;
    const uint32_t block = 1024, rpb = 5;
    const uint32_t headerBlocks = (block + CDataFile::kHeaderSize - 1) / block;
    // Securities: A with 12 records (blocks h, h+1, h+2), B with 3 records (block h+3).
    auto build = [&](const std::string& path) {
        CDataFile f(32, rpb, block);
        ASSERT_TRUE(f.Open(path));
        auto a = Bars(100, 12), b = Bars(500, 3);
        ASSERT_TRUE(f.AppendItems(12, 1, "A", a.data()));
        ASSERT_TRUE(f.AppendItems(3, 1, "B", b.data()));
    };
    auto blockAt = [&](uint32_t n) { return uint64_t(headerBlocks + n) * block; };
    const uint64_t entryA = 48, entryB = 48 + 148;

    struct Case {
        const char* what;
        std::function<void(const std::string&)> damage;
        size_t expectA, expectB;
    };
    std::vector<Case> cases = {
        {"next link into the header", [&](const std::string& p) { PutU32At(p, blockAt(0), 3); }, 5,
         3},
        {"next link past the file", [&](const std::string& p) { PutU32At(p, blockAt(0), 999999); },
         5, 3},
        {"loop back to the first block",
         [&](const std::string& p) { PutU32At(p, blockAt(1), headerBlocks); }, 10, 3},
        {"count above a block", [&](const std::string& p) { PutU32At(p, blockAt(1) + 4, 77); }, 5,
         3},
        {"first block in the header", [&](const std::string& p) { PutU32At(p, entryB + 136, 1); },
         12, 0},
        {"total beyond the chain",
         [&](const std::string& p) { PutU32At(p, entryA + 132, 4000000000u); }, 12, 3},
        {"entries in use too large", [&](const std::string& p) { PutU32At(p, 44, 0xFFFFFFFF); }, 12,
         3},
        {"data area cut short",
         [&](const std::string& p) { std::filesystem::resize_file(p, blockAt(1) + 40); }, 5, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = dir.File("damaged.dat");
        std::filesystem::remove(path);
        build(path);
        c.damage(path);
        CDataFile f(32, rpb, block);
        ASSERT_TRUE(f.Open(path));
        auto a = Read(f, 1, "A");
        auto b = Read(f, 1, "B");
        EXPECT_EQ(a.size(), c.expectA);
        EXPECT_EQ(b.size(), c.expectB);
        auto sound = Bars(100, 12);
        for (size_t i = 0; i < a.size() && i < 12; ++i) EXPECT_EQ(a[i].m_nTime, sound[i].m_nTime);
        // Appending to a damaged store never harms the other security's sound records.
        auto more = Bars(900, 7);
        EXPECT_TRUE(f.AppendItems(7, 1, "C", more.data()));
        EXPECT_EQ(Keys(Read(f, 1, "C")), Keys(more));
        EXPECT_EQ(Read(f, 1, "B").size(), c.expectB);
    }
}

TEST(DataFile, ForeignOrTruncatedHeaderIsKeptAside) {
    ScratchDir dir;
    std::string path = dir.File("day.dat");
    std::ofstream(path) << "not a data file";
    CDataFile f(32, 399, kDayBlock);
    ASSERT_TRUE(f.Open(path));
    EXPECT_FALSE(f.GetKeptAsidePath().empty());
    EXPECT_TRUE(std::filesystem::exists(f.GetKeptAsidePath()));
    EXPECT_EQ(std::filesystem::file_size(path), 253u * 12800 + 1);

    // A store opened with another block size does not take over this file either.
    f.Close();
    CDataFile other(32, 5, 1024);
    ASSERT_TRUE(other.Open(path));
    EXPECT_FALSE(other.GetKeptAsidePath().empty());
}

TEST(DataFile, SecondOpenOfTheSameFileIsRefused) {
    ScratchDir dir;
    CDataFile a(32, 399, kDayBlock), b(32, 399, kDayBlock);
    ASSERT_TRUE(a.Open(dir.File("day.dat")));
    EXPECT_FALSE(b.Open(dir.File("day.dat")));
    auto bars = Bars(1, 3);
    EXPECT_FALSE(b.AppendItems(3, 1, "600000", bars.data()));
}

TEST(DataFile, WriteFailureIsReported) {
    ScratchDir dir;
    CDataFile f(32, 5, 1024);
    ASSERT_TRUE(f.Open(dir.File("small.dat")));
    auto bars = Bars(1, 4);
    ASSERT_TRUE(f.AppendItems(4, 1, "A", bars.data()));

    // Growing the file past the size limit fails; the store says so.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = std::filesystem::file_size(dir.File("small.dat"));
    setrlimit(RLIMIT_FSIZE, &small);
    auto many = Bars(100, 5 * 70);  // needs more blocks than the file has room for
    bool stored = f.AppendItems(uint32_t(many.size()), 1, "B", many.data());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(stored);
    EXPECT_EQ(Keys(Read(f, 1, "A")), Keys(bars));
}

TEST(DataFile, IndexFullRefusesNewSecurities) {
    ScratchDir dir;
    CDataFile f(32, 5, 1024);
    ASSERT_TRUE(f.Open(dir.File("full.dat")));
    auto bar = Bars(1, 1);
    for (uint32_t i = 0; i < CDataFile::kMaxEntries; ++i)
        ASSERT_TRUE(f.AppendItems(1, 1, std::to_string(i), bar.data())) << i;
    EXPECT_EQ(f.GetEntriesInUse(), CDataFile::kMaxEntries);
    EXPECT_FALSE(f.AppendItems(1, 2, "overflow", bar.data()));
    EXPECT_TRUE(f.AppendItems(1, 1, "21839", bar.data()));
    EXPECT_EQ(Read(f, 1, "21839").size(), 2u);
    // A full index still finds its own entries: a clear and rewrite does not duplicate.
    EXPECT_TRUE(f.ReplaceItems(1, 1, "21839", bar.data()));
    EXPECT_EQ(Read(f, 1, "21839").size(), 1u);
    // A code that does not fit its field is refused.
    EXPECT_FALSE(f.AppendItems(1, 1, std::string(128, 'x'), bar.data()));
}
