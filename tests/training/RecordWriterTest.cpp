// The record file's own writer: its number texts against the general algorithm, and a
// whole file against what tinyxml2's printer makes of the same sessions, read back by the
// loader.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <random>

#include "common/ScratchDir.h"
#include "training/RecordText.h"
#include "training/RecordXml.h"
#include "training/TotalTrainingRecord.h"

namespace fs = std::filesystem;

namespace {

// printf("%.<precision>f") in the C locale, as the file has always had it.
std::string ReferenceFixed(double value, int precision) {
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    return res.ec == std::errc() ? std::string(buf, res.ptr) : "0";
}

std::string ReferenceExact(double value, int precision) {
    std::string text = ReferenceFixed(value, precision);
    if (!std::isfinite(value) || ParseDouble(text) == value) return text;
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

void ExpectSameTexts(double value) {
    for (int precision : {0, 1, 2, 3, 6, 15}) {
        SCOPED_TRACE(testing::Message() << "value " << std::hexfloat << value << " precision "
                                        << precision);
        char buf[kMaxNumberText];
        ASSERT_EQ(std::string(buf, FormatFixedTo(buf, value, precision)),
                  ReferenceFixed(value, precision));
        ASSERT_EQ(std::string(buf, FormatExactTo(buf, value, precision)),
                  ReferenceExact(value, precision));
        ASSERT_EQ(FormatFixed(value, precision), ReferenceFixed(value, precision));
        ASSERT_EQ(FormatExact(value, precision), ReferenceExact(value, precision));
    }
}

TEST(RecordNumbers, EdgeValuesPrintAsPrintfWould) {
    const double inf = std::numeric_limits<double>::infinity();
    const double cases[] = {
        0.0, -0.0, 1.0, -1.0, 0.1, 0.5, 1.5, 2.5, -2.5, 0.125, 0.0625, 10.333, 10.2, 9.875,
        0.0005, 0.00049999999999999999, 0.0015, 1.0005, -0.0001, 1e-7, 0.055, 0.00025,
        123456789.0, 99999.9995, 1099511627.775, 1099511627776.0, 1099511627776.5,
        0x1p40, 0x1p40 - 1, 0x1p40 / 1000, 0x1p40 / 1000 + 0.001, 0x1p52 + 1, 0x1p53,
        1e15, 1e17, 1e22, 1e300, -1e300, 4.9e-324, std::numeric_limits<double>::max(),
        std::numeric_limits<double>::lowest(), inf, -inf,
        std::numeric_limits<double>::quiet_NaN(), 0.1 + 0.2, 1.0 / 3, 2.0 / 3, 100000.0 * 1.05};
    for (double v : cases) ExpectSameTexts(v);
}

TEST(RecordNumbers, GeneratedValuesPrintAsPrintfWould) {
    std::mt19937_64 random(20240105);
    for (int i = 0; i < 5000; ++i) {
        // Prices and amounts as sessions make them, then arbitrary bit patterns of every size.
        const int64_t units = static_cast<int64_t>(random() % 200000000) - 100000000;
        ExpectSameTexts(static_cast<double>(units) / 1000);
        ExpectSameTexts(static_cast<double>(units) / 100 * 1.0003);
        ExpectSameTexts(static_cast<double>(units % 100000) * 0.001 + 10.0);
        uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        ExpectSameTexts(any);
        ExpectSameTexts(std::ldexp(static_cast<double>(random() % (1u << 30)),
                                   static_cast<int>(random() % 60) - 50));
        if (HasFailure()) return;
    }
}

class RecordWriterTest : public testing::Test {
protected:
    void SetUp() override { TrainedNumCounter().clear(); }
    void TearDown() override { TrainedNumCounter().clear(); }

    ScratchDir m_dir;
    std::string m_path = m_dir.File("Data/training/totalRecord.xml");
};

// What the file held when it was printed through tinyxml2's printer.
std::string PrintedByTinyxml(const CTotalTrainingRecord& list, uint32_t today) {
    recordxml::CRecordPrinter printer;
    printer.PushDeclaration("xml version=\"1.0\" encoding=\"gb2312\"");
    printer.OpenElement("totalTrainingRecord");
    recordxml::WriteInt(printer, "selected", list.selected);
    const auto entry = TrainedNumCounter().find(today);
    recordxml::WriteInt(printer, "TrainedNum",
                        int64_t(today) * 10000 +
                            (entry != TrainedNumCounter().end() ? entry->second : 0));
    for (const auto& record : list.records)
        if (record) record->WriteXml(printer);
    printer.CloseElement();
    return std::string(printer.CStr(), size_t(printer.CStrSize() - 1));
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sessions with something in every element: texts that need escaping, characters GBK
// lacks, line breaks, both books, prices without a short decimal form, an empty journal.
void FillRichList(CTotalTrainingRecord& list) {
    auto busy = std::make_shared<CTrainingRecord>(nullptr, CIndSecuCode(1, "600000"), 0, 1, 1, 0,
                                                  1, 100000, "浦发 & <银行> \"甲\" '乙' 😀",
                                                  0.00025);
    busy->StartDate = busy->BeginTrainDate = 20230103;
    busy->EndDate = 20231229;
    busy->WantDays = 240;
    busy->open = 10.01;
    busy->high = 1.0 / 3;
    busy->low = -0.0;
    busy->price = 10.333;
    busy->preclose = 1e300;
    busy->volume = 123456789;
    busy->dataType = 3;
    busy->period = 5;
    busy->quoteTime = 202301051030;
    busy->zy = 0.055;
    busy->zs = 0.1 + 0.2;
    busy->TrainStatus = kTrainStatusRunning;
    std::string msg;
    EXPECT_TRUE(busy->Buy(1000, 202301031000, msg, true, "均线金叉 <放量> & \"突破\"", 10.0));
    EXPECT_TRUE(busy->Buy(333, 202301041400, msg, true, "", 10.3 / 3));
    EXPECT_TRUE(busy->Sell(700, 202301051030, msg, "第一行\r\n第二行\t完", 10.9));
    EXPECT_TRUE(busy->ShortSell(300, 202301051030, msg, "融券 ☃", 10.9));
    busy->AddStartAssetPoint();
    busy->UpdateAsset(20230104, 10.2);
    busy->UpdateAsset(20230105, 10.333);
    busy->trades[1].praise = -1;
    busy->trades[1].GLPercent = 2.0 / 3;
    list.records.push_back(busy);

    auto plain = std::make_shared<CTrainingRecord>(nullptr, CIndSecuCode(2, "000001"), 1, 0, 0, 1,
                                                   0, 50000, "平安银行", 0.0003);
    list.records.push_back(plain);
    list.records.push_back(nullptr);  // a hole in the list prints nothing
    list.records.push_back(std::make_shared<CTrainingRecord>());
    list.selected = 1;
    TrainedNumCounter()[20240105] = 7;
}

TEST_F(RecordWriterTest, FileBytesAreThoseOfTheTinyxmlPrinterAndLoadBack) {
    CTotalTrainingRecord list(m_path);
    FillRichList(list);
    ASSERT_TRUE(list.Save(20240105));
    const std::string written = FileText(m_path);
    EXPECT_EQ(written, PrintedByTinyxml(list, 20240105));
    EXPECT_TRUE(written.starts_with("<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
                                    "<totalTrainingRecord selected=\"1\" "
                                    "TrainedNum=\"202401050007\">\n    <TrainingItem>\n"));
    EXPECT_TRUE(written.ends_with("    </TrainingItem>\n</totalTrainingRecord>\n"));

    CTotalTrainingRecord loaded(m_path);
    ASSERT_TRUE(loaded.Load());
    ASSERT_EQ(loaded.records.size(), 3u);
    EXPECT_EQ(loaded.selected, 1);
    const CTrainingRecord& busy = *loaded.records[0];
    EXPECT_EQ(busy.name, list.records[0]->name);
    EXPECT_EQ(busy.trades[2].comment, "第一行\r\n第二行\t完");
    EXPECT_EQ(busy.trades[3].comment, "融券 ☃");
    EXPECT_EQ(busy.zs, 0.1 + 0.2);
    EXPECT_EQ(busy.trades[1].GLPercent, 2.0 / 3);
    EXPECT_EQ(busy.preclose, 1e300);
    EXPECT_EQ(busy.leftCapital, list.records[0]->leftCapital);
    EXPECT_EQ(busy.CallPos->holdings, list.records[0]->CallPos->holdings);
    EXPECT_EQ(busy.PutPos->holdings, list.records[0]->PutPos->holdings);
    EXPECT_EQ(loaded.records[1]->code, CIndSecuCode(2, "000001"));

    // What was loaded saves to the same bytes again (the hole is gone).
    list.records.erase(list.records.begin() + 2);
    ASSERT_TRUE(list.Save(20240105));
    const std::string again = FileText(m_path);
    ASSERT_TRUE(loaded.Save(20240105));
    EXPECT_EQ(FileText(m_path), again);
}

TEST_F(RecordWriterTest, EmptyListPrintsAsTheTinyxmlPrinterDoes) {
    CTotalTrainingRecord list(m_path);
    ASSERT_TRUE(list.Save(20240106));
    EXPECT_EQ(FileText(m_path), PrintedByTinyxml(list, 20240106));
    EXPECT_EQ(FileText(m_path),
              "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
              "<totalTrainingRecord selected=\"-1\" TrainedNum=\"202401060000\"/>\n");
}

// Saves print a session again only when its key changed: after each change below the file
// must still be what a fresh print of the whole list makes.
TEST_F(RecordWriterTest, KeptSessionTextsFollowEveryChange) {
    CTotalTrainingRecord list(m_path);
    FillRichList(list);
    using Change = std::function<void(CTotalTrainingRecord&)>;
    const std::pair<const char*, Change> changes[] = {
        {"nothing", [](CTotalTrainingRecord&) {}},
        {"a whole number", [](CTotalTrainingRecord& l) { l.records[0]->TrainDays += 1; }},
        {"a price", [](CTotalTrainingRecord& l) { l.records[0]->price = 10.334; }},
        {"zero to minus zero", [](CTotalTrainingRecord& l) { l.records[1]->open = -0.0; }},
        {"a stop level", [](CTotalTrainingRecord& l) { l.records[0]->zy = 0.1 + 0.2; }},
        {"the name", [](CTotalTrainingRecord& l) { l.records[1]->name = "平安银行 <改>"; }},
        {"the code", [](CTotalTrainingRecord& l) { l.records[1]->code.m_strCode = "000002"; }},
        {"a comment", [](CTotalTrainingRecord& l) { l.records[0]->trades[0].comment = ""; }},
        {"a trade's price",
         [](CTotalTrainingRecord& l) { l.records[0]->trades[1].TradePrice = 3.5; }},
        {"a new trade",
         [](CTotalTrainingRecord& l) {
             std::string msg;
             ASSERT_TRUE(l.records[1]->Buy(100, 202301061000, msg, true, "补仓", 9.5));
         }},
        {"a trade less", [](CTotalTrainingRecord& l) { l.records[0]->trades.pop_back(); }},
        {"an asset point",
         [](CTotalTrainingRecord& l) { l.records[0]->UpdateAsset(20230106, 10.5); }},
        {"a holding less",
         [](CTotalTrainingRecord& l) { l.records[0]->CallPos->holdings.clear(); }},
        {"a book dropped", [](CTotalTrainingRecord& l) { l.records[0]->PutPos.reset(); }},
        {"the same session twice",
         [](CTotalTrainingRecord& l) { l.records.push_back(l.records[1]); }},
        {"a session replaced by a copy",
         [](CTotalTrainingRecord& l) {
             l.records[0] = std::make_shared<CTrainingRecord>(*l.records[0]);
         }},
        {"the selection", [](CTotalTrainingRecord& l) { l.selected = 0; }},
        {"only holes left",
         [](CTotalTrainingRecord& l) { l.records.assign(3, CTotalTrainingRecord::RecordPtr()); }},
        {"a session again",
         [](CTotalTrainingRecord& l) { l.records.push_back(std::make_shared<CTrainingRecord>()); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        change(list);
        ASSERT_TRUE(list.Save(20240105));
        ASSERT_EQ(FileText(m_path), PrintedByTinyxml(list, 20240105));
    }
}

TEST(RecordFileWriter, NestingMatchesTheTinyxmlPrinter) {
    tinyxml2::XMLPrinter reference;
    recordxml::CRecordFileWriter writer;
    auto both = [&](auto&& step) {
        step(reference);
        step(writer);
    };
    both([](auto& p) { p.PushDeclaration("xml version=\"1.0\""); });
    both([](auto& p) { p.OpenElement("a"); });
    both([](auto& p) { p.OpenElement("b"); });
    both([](auto& p) { p.CloseElement(); });
    both([](auto& p) { p.OpenElement("c"); });
    both([](auto& p) { p.OpenElement("d"); });
    both([](auto& p) { p.OpenElement("e"); });
    both([](auto& p) { p.CloseElement(); });
    both([](auto& p) { p.CloseElement(); });
    both([](auto& p) { p.CloseElement(); });
    both([](auto& p) { p.OpenElement("f"); });
    both([](auto& p) { p.CloseElement(); });
    // Deeper than any record file goes.
    for (int i = 0; i < 20; ++i) both([](auto& p) { p.OpenElement("g"); });
    for (int i = 0; i < 20; ++i) both([](auto& p) { p.CloseElement(); });
    both([](auto& p) { p.CloseElement(); });
    EXPECT_EQ(writer.Text(), std::string(reference.CStr()));
}

}  // namespace
