#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>

#include "MarketFixture.h"
#include "foundation/Crc16.h"
#include "foundation/LzhufEncoder.h"
#include "foundation/TextCodec.h"
#include "marketdata/DealCodeThread.h"

namespace {
struct Entry {
    uint32_t market;
    std::string code;
    std::string name;  // UTF-8; sent as GBK
};

std::vector<uint8_t> Table(const std::vector<Entry>& entries, uint32_t declared = 0) {
    Bytes b;
    b.u32(declared ? declared : uint32_t(entries.size()));
    for (auto& e : entries) b.u32(e.market).str(e.code).str(Utf8ToAnsi(e.name));
    return LzhufEncode(b.v.data(), b.v.size());
}

class CodeTableTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        GetAppInfo()->SetCodeTable({});
        GetAppInfo()->SetCodeTableChecksum(0);
    }
    void TearDown() override {
        GetAppInfo()->SetCodeTable({});
        GetAppInfo()->SetCodeTableChecksum(0);
        MarketTest::TearDown();
    }
    std::string CodeFile() { return GetAppInfo()->GetDataPath() + "code.dat"; }
    void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    const std::vector<Entry> m_entries = {{1, "600000", "浦发 银行"},
                                          {2, "000001", "平安银行"},
                                          {2, "300750", "宁德时代"},
                                          {3, "AAPL", "苹果"}};
};
}  // namespace

TEST_F(CodeTableTest, CodeFileRoundTripWithGbkNames) {
    auto block = Table(m_entries);
    GetAppInfo()->SetCodeTable(block);
    uint16_t crc = GetAppInfo()->GetCodeTableChecksum();
    EXPECT_EQ(crc, Crc16(block.size(), block.data()));
    ASSERT_TRUE(GetAppInfo()->SaveCodeTable());

    // The file: u16 CRC, u32 length, the block as is.
    std::ifstream f(CodeFile(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
    ASSERT_EQ(bytes.size(), 6 + block.size());
    EXPECT_EQ(bytes[0] | bytes[1] << 8, crc);
    EXPECT_EQ(0, memcmp(bytes.data() + 6, block.data(), block.size()));

    GetAppInfo()->SetCodeTable({});
    ASSERT_TRUE(GetAppInfo()->LoadCodeTable());
    EXPECT_EQ(GetAppInfo()->GetCodeTable(), block);
    EXPECT_EQ(GetAppInfo()->GetCodeTableChecksum(), crc);
    CDataCenter* dc = GetDataCenter();
    ASSERT_EQ(dc->GetSecurityCount(), 4u);
    CSecurity* s = dc->FindSecurity(CIndSecuCode(1, "600000"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->GetName(), "浦发 银行");  // start-up keeps the name as stored
    EXPECT_TRUE(s->GetAbbreviations().empty());
    EXPECT_EQ(s->GetValues().GetValue(kQuotePriceDivisor), 1000);
    EXPECT_EQ(s->GetTypeMask(), 0x2u);
    EXPECT_EQ(dc->FindSecurity(CIndSecuCode(3, "AAPL"))->GetTypeMask(), 0u);
    EXPECT_EQ(dc->FindSecurity(CIndSecuCode(2, "000001"))->GetName(), "平安银行");
}

TEST_F(CodeTableTest, DamagedCodeFilesAreRejected) {
    auto block = Table(m_entries);
    uint16_t crc = Crc16(block.size(), block.data());
    auto file = [&](uint16_t c, uint32_t length, size_t keep) {
        Bytes b = Bytes().u16(c).u32(length).raw(block.data(), block.size());
        b.v.resize(std::min(b.v.size(), keep));
        return b.v;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"bad CRC", file(uint16_t(crc ^ 1), uint32_t(block.size()), 99999)},
        {"length past the end", file(crc, uint32_t(block.size() + 10), 99999)},
        {"cut inside the header", file(crc, uint32_t(block.size()), 4)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(CodeFile());
        Write(CodeFile(), c.bytes);
        EXPECT_FALSE(GetAppInfo()->LoadCodeTable());
        EXPECT_EQ(GetDataCenter()->GetSecurityCount(), 0u);
        EXPECT_EQ(GetAppInfo()->GetCodeTableLength(), 0u);
        EXPECT_FALSE(std::filesystem::exists(CodeFile())) << "kept aside";
    }
    // A header with length 0: no securities, the checksum as stored, nothing written back.
    Write(CodeFile(), Bytes().u16(0x1234).u32(0).v);
    EXPECT_TRUE(GetAppInfo()->LoadCodeTable());
    EXPECT_EQ(GetAppInfo()->GetCodeTableChecksum(), 0x1234);
    EXPECT_EQ(GetDataCenter()->GetSecurityCount(), 0u);
    std::filesystem::remove(CodeFile());
    EXPECT_TRUE(GetAppInfo()->SaveCodeTable());
    EXPECT_FALSE(std::filesystem::exists(CodeFile()));
}

TEST_F(CodeTableTest, WorkerParseStripsSpacesBuildsAbbreviationsAndPosts) {
    std::mutex m;
    std::condition_variable cv;
    int ready = 0;
    SetMarketUiHooks({[&](uint32_t msg, uint64_t, int64_t) {
                          std::lock_guard l(m);
                          ready += msg == UM_CODELIST_READY;
                          cv.notify_all();
                      },
                      nullptr, nullptr});
    GetDataCenter()->BuildPinyinTables();
    GetDataCenter()->BuildAbbreviations();
    ASSERT_TRUE(ParseCodeTable(Table(m_entries), false));  // start-up first
    auto block = Table(m_entries);
    GetAppInfo()->SetCodeTable(block);
    GetAppInfo()->SetCodeTableChecksum(1);  // the worker recomputes it
    CDealCodeThread worker;
    worker.StartParse();
    worker.StartParse();  // while one may be running: parsed again, never lost
    {
        std::unique_lock l(m);
        ASSERT_TRUE(cv.wait_for(l, std::chrono::seconds(10), [&] { return ready >= 1; }));
    }
    worker.Stop();
    EXPECT_EQ(GetAppInfo()->GetCodeTableChecksum(), Crc16(block.size(), block.data()));
    CDataCenter* dc = GetDataCenter();
    EXPECT_EQ(dc->GetSecurityCount(), 4u);  // one record per security after two parses
    CSecurity* s = dc->FindSecurity(CIndSecuCode(1, "600000"));
    EXPECT_EQ(s->GetName(), "浦发银行");
    EXPECT_EQ(s->GetAbbreviations(), (std::vector<std::string>{"PFYX", "PFYH"}));
    uint16_t size = 0;
    const uint8_t* flags = s->GetValues().GetBlob(kQuoteFlags13, &size);
    ASSERT_EQ(size, 2);
    EXPECT_EQ(flags[0], 3);
    EXPECT_EQ(flags[1], 3);
}

TEST_F(CodeTableTest, ShortOrUndecodableTables) {
    uint32_t applied = 0;
    EXPECT_TRUE(ParseCodeTable(Table(m_entries, 10), true, &applied));  // declares 10, holds 4
    EXPECT_EQ(applied, 4u);
    EXPECT_EQ(GetDataCenter()->GetSecurityCount(), 4u);
    std::vector<uint8_t> garbage = {0x10, 0, 0, 0, 1, 2, 3};
    EXPECT_FALSE(ParseCodeTable(garbage, true, &applied));
    EXPECT_FALSE(ParseCodeTable({}, true, &applied));
    EXPECT_EQ(GetDataCenter()->GetSecurityCount(), 4u);
    // Codes that fit no table are skipped; the rest go on.
    EXPECT_TRUE(
        ParseCodeTable(Table({{1, std::string(200, '6'), "x"}, {1, "", "y"}, {1, "601318", "z"}}),
                       true, &applied));
    EXPECT_EQ(applied, 1u);
}

TEST_F(CodeTableTest, DownloadReplacesTheHeldBlockOnlyWhenComplete) {
    CAppInfo* info = GetAppInfo();
    auto old = Table(m_entries);
    info->SetCodeTable(old);
    auto fresh = Table({{1, "600519", "贵州茅台"}});

    ASSERT_TRUE(info->BeginCodeTableDownload(uint32_t(fresh.size())));
    ASSERT_TRUE(info->AppendCodeTableChunk(fresh.data(), 5));
    EXPECT_FALSE(info->CommitCodeTableDownload());  // cut off: the old block stays
    EXPECT_EQ(info->GetCodeTable(), old);

    ASSERT_TRUE(info->BeginCodeTableDownload(uint32_t(fresh.size())));
    EXPECT_FALSE(
        info->AppendCodeTableChunk(fresh.data(), uint32_t(fresh.size() + 1)));  // past the total
    EXPECT_FALSE(info->CommitCodeTableDownload());
    EXPECT_EQ(info->GetCodeTable(), old);
    EXPECT_FALSE(info->BeginCodeTableDownload(CAppInfo::kMaxCodeTable + 1));

    ASSERT_TRUE(info->BeginCodeTableDownload(uint32_t(fresh.size())));
    ASSERT_TRUE(info->AppendCodeTableChunk(fresh.data(), 3));
    ASSERT_TRUE(info->AppendCodeTableChunk(fresh.data() + 3, uint32_t(fresh.size() - 3)));
    EXPECT_TRUE(info->CommitCodeTableDownload());
    EXPECT_EQ(info->GetCodeTable(), fresh);
    EXPECT_EQ(info->GetCodeTableChecksum(), Crc16(fresh.size(), fresh.data()));
}
