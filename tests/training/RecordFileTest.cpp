// The record file: round trips, its bytes on disk, damaged and partial files, and the
// selections over the list.

#include <gtest/gtest.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <filesystem>

#include "common/ScratchDir.h"
#include "foundation/MyLog.h"
#include "foundation/TextCodec.h"
#include "training/TotalTrainingRecord.h"

namespace fs = std::filesystem;

namespace {

class RecordFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.File("Data/training/totalRecord.xml");
        TrainedNumCounter().clear();
    }

    std::vector<fs::path> AsideFiles() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(fs::path(m_path).parent_path()))
            if (entry.path().filename().string().starts_with("totalRecord.xml.bad-"))
                found.push_back(entry.path());
        return found;
    }

    ScratchDir m_dir;
    std::string m_path;
};

// A session with something in every part of the record.
CTotalTrainingRecord::RecordPtr AddBusySession(CTotalTrainingRecord& list) {
    auto r = list.CreateRecord(0, 1, nullptr, CIndSecuCode(1, "600000"), "浦发银行", 1, 0, 1,
                               100000, 0.00025);
    r->StartDate = r->BeginTrainDate = 20230103;
    r->EndDate = 20231229;
    r->WantDays = 240;
    r->EndTrainDate = 20230105;
    r->EndTrainTime = 1030;
    r->TrainDays = 3;
    r->open = 10.01;
    r->high = 10.55;
    r->low = 9.875;
    r->price = 10.333;
    r->preclose = 10.2;
    r->volume = 123456789;
    r->dataType = 3;
    r->period = 5;
    r->quoteTime = 202301051030;
    r->zy = 0.055;
    r->zs = 0.125;
    r->TrainStatus = kTrainStatusRunning;
    std::string msg;
    EXPECT_TRUE(r->Buy(1000, 202301031000, msg, true, "均线金叉 <放量> & \"突破\"", 10.0));
    EXPECT_TRUE(r->Buy(500, 202301041400, msg, true, "", 10.3));
    EXPECT_TRUE(r->Sell(700, 202301051030, msg, "第一行\n第二行", 10.9));
    EXPECT_TRUE(r->ShortSell(300, 202301051030, msg, "融券", 10.9));
    r->AddStartAssetPoint();
    r->UpdateAsset(20230104, 10.2);
    r->UpdateAsset(20230105, 10.333);
    return r;
}

void ExpectSameRecord(const CTrainingRecord& a, const CTrainingRecord& b) {
    EXPECT_EQ(a.StartDate, b.StartDate);
    EXPECT_EQ(a.EndDate, b.EndDate);
    EXPECT_EQ(a.WantDays, b.WantDays);
    EXPECT_EQ(a.BeginTrainDate, b.BeginTrainDate);
    EXPECT_EQ(a.EndTrainDate, b.EndTrainDate);
    EXPECT_EQ(a.EndTrainTime, b.EndTrainTime);
    EXPECT_EQ(a.TrainDays, b.TrainDays);
    EXPECT_EQ(a.TrainingDate, b.TrainingDate);
    EXPECT_EQ(a.TrainingTime, b.TrainingTime);
    EXPECT_DOUBLE_EQ(a.open, b.open);
    EXPECT_DOUBLE_EQ(a.high, b.high);
    EXPECT_DOUBLE_EQ(a.low, b.low);
    EXPECT_DOUBLE_EQ(a.price, b.price);
    EXPECT_DOUBLE_EQ(a.preclose, b.preclose);
    EXPECT_EQ(a.volume, b.volume);
    EXPECT_EQ(a.dataType, b.dataType);
    EXPECT_EQ(a.period, b.period);
    EXPECT_EQ(a.quoteTime, b.quoteTime);
    EXPECT_EQ(a.code, b.code);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.T0, b.T0);
    EXPECT_EQ(a.CanPut, b.CanPut);
    EXPECT_EQ(a.hideDate, b.hideDate);
    EXPECT_EQ(a.hideName, b.hideName);
    EXPECT_EQ(a.TrainPeriodType, b.TrainPeriodType);
    EXPECT_EQ(a.TrainStatus, b.TrainStatus);
    // Values later arithmetic builds on come back exactly.
    EXPECT_EQ(a.commitrate, b.commitrate);
    EXPECT_EQ(a.zy, b.zy);
    EXPECT_EQ(a.zs, b.zs);
    EXPECT_EQ(a.leftCapital, b.leftCapital);
    EXPECT_EQ(a.InitCapital, b.InitCapital);
    EXPECT_EQ(a.FrozenCapital, b.FrozenCapital);
    ASSERT_EQ(a.trades.size(), b.trades.size());
    for (size_t i = 0; i < a.trades.size(); ++i) {
        const TradeDetailItem& x = a.trades[i];
        const TradeDetailItem& y = b.trades[i];
        EXPECT_EQ(x.TradeDate, y.TradeDate);
        EXPECT_EQ(x.TradeTime, y.TradeTime);
        EXPECT_EQ(x.opdir, y.opdir);
        EXPECT_EQ(x.bsdir, y.bsdir);
        EXPECT_NEAR(x.TradePrice, y.TradePrice, 0.0005);
        EXPECT_NEAR(x.cost, y.cost, 0.0005);
        EXPECT_EQ(x.vol, y.vol);
        EXPECT_NEAR(x.Turnover, y.Turnover, 0.0005);
        EXPECT_NEAR(x.GainLoss, y.GainLoss, 0.0005);
        EXPECT_EQ(x.GLPercent, y.GLPercent);
        EXPECT_EQ(x.praise, y.praise);
        EXPECT_EQ(x.comment, y.comment);
        EXPECT_NEAR(x.commit, y.commit, 0.0005);
    }
    ASSERT_EQ(a.assets.size(), b.assets.size());
    for (size_t i = 0; i < a.assets.size(); ++i) {
        EXPECT_EQ(a.assets[i].date, b.assets[i].date);
        EXPECT_NEAR(a.assets[i].asset, b.assets[i].asset, 0.005);
    }
    for (auto book : {&CTrainingRecord::CallPos, &CTrainingRecord::PutPos}) {
        ASSERT_TRUE(b.*book);
        EXPECT_EQ((a.*book)->aveCost, (b.*book)->aveCost);
        EXPECT_EQ((a.*book)->avehl, (b.*book)->avehl);
        EXPECT_EQ((a.*book)->holdings, (b.*book)->holdings);
    }
}

TEST_F(RecordFileTest, NoFileGivesAnEmptyList) {
    CTotalTrainingRecord list(m_path);
    EXPECT_FALSE(list.Load());
    EXPECT_EQ(list.GetSelectedRecord(), nullptr);
    EXPECT_FALSE(list.HasRunningRecord());
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(RecordFileTest, RoundTripKeepsEverySession) {
    CTotalTrainingRecord list(m_path);
    auto busy = AddBusySession(list);
    auto plain = list.CreateRecord(1, 0, nullptr, CIndSecuCode(2, "000001"), "平安银行", 0, 1, 0,
                                   50000, 0.0003);
    busy->name = "浦发银行 (测试)";
    list.selected = 0;
    TrainedNumCounter()[20240105] = 3;
    ASSERT_TRUE(list.Save(20240105));

    TrainedNumCounter().clear();
    CTotalTrainingRecord loaded(m_path);
    ASSERT_TRUE(loaded.Load());
    ASSERT_EQ(loaded.records.size(), 2u);
    EXPECT_EQ(loaded.selected, 0);
    EXPECT_EQ(loaded.GetSelectedRecord(), loaded.records[0]);
    EXPECT_TRUE(loaded.HasRunningRecord());
    EXPECT_EQ(TrainedNumCounter()[20240105], 3);
    ExpectSameRecord(*busy, *loaded.records[0]);
    ExpectSameRecord(*plain, *loaded.records[1]);
    EXPECT_EQ(loaded.records[0]->trades[0].comment, "均线金叉 <放量> & \"突破\"");
    EXPECT_EQ(loaded.records[0]->trades[2].comment, "第一行\n第二行");

    // The loaded session trades on exactly as the original would.
    std::string msg;
    ASSERT_TRUE(busy->Sell(800, 202301061000, msg, "", 11));
    ASSERT_TRUE(loaded.records[0]->Sell(800, 202301061000, msg, "", 11));
    EXPECT_EQ(busy->leftCapital, loaded.records[0]->leftCapital);
    EXPECT_EQ(busy->trades.back().GainLoss, loaded.records[0]->trades.back().GainLoss);
}

TEST_F(RecordFileTest, FileIsDeclaredGb2312AndWrittenInGbk) {
    CTotalTrainingRecord list(m_path);
    AddBusySession(list);
    TrainedNumCounter()[20240105] = 2;
    ASSERT_TRUE(list.Save(20240105));
    const std::string bytes = ReadFile(m_path);
    EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"gb2312\"?>"))
        << bytes.substr(0, 60);
    EXPECT_NE(bytes.find("<totalTrainingRecord selected=\"0\" TrainedNum=\"202401050002\">"),
              std::string::npos);
    EXPECT_NE(bytes.find("name=\"\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0\""), std::string::npos);
    EXPECT_EQ(bytes.find("浦发银行"), std::string::npos);
    EXPECT_NE(bytes.find("comment=\"\xC8\xDA\xC8\xAF\""), std::string::npos);  // 融券
    // Part formats where the value is exact in them; stop levels in full.
    EXPECT_NE(bytes.find("zy=\"0.055\" zs=\"0.125\""), std::string::npos);
    EXPECT_NE(bytes.find("<Quote open=\"10.010\" high=\"10.550\" low=\"9.875\" price=\"10.333\" "
                         "preclose=\"10.200\" volume=\"123456789\" dataType=\"3\" period=\"5\" "
                         "quoteTime=\"202301051030\"/>"),
              std::string::npos);
    EXPECT_NE(bytes.find("<TradeDetailItem TradeDate=\"20230103\" TradeTime=\"1000\" opdir=\"1\" "
                         "bsdir=\"1\" TradePrice=\"10.000\" cost=\"10.000\" vol=\"1000\" "
                         "Turnover=\"10000.000\" GainLoss=\"0.000\" GLPercent=\"0.000\" "
                         "praise=\"0\""),
              std::string::npos);
    // Element order of a session as the file has always had it.
    const size_t item = bytes.find("<TrainingItem>");
    size_t last = item;
    for (const char* tag : {"<TrainingDate ", "<Quote ", "<config ", "<Capital ", "<TradeDetail>",
                            "<Asset>", "<PutPos ", "<CallPos "}) {
        const size_t at = bytes.find(tag, item);
        ASSERT_NE(at, std::string::npos) << tag;
        EXPECT_GT(at, last) << tag;
        last = at;
    }
}

TEST_F(RecordFileTest, TextsGbkLacksAndXmlSpecialsSurvive) {
    CTotalTrainingRecord list(m_path);
    auto r = list.CreateRecord(0, 0, nullptr, CIndSecuCode(1, "A&B"), "한국 <\"x\"> 'y'", 0, 0, 0,
                               1000, 0);
    r->trades.emplace_back().comment = "看涨😀 & 加仓";
    ASSERT_TRUE(list.Save(20240105));
    const std::string bytes = ReadFile(m_path);
    EXPECT_NE(bytes.find("&#x1F600;"), std::string::npos);
    EXPECT_NE(bytes.find("code=\"A&amp;B\""), std::string::npos);

    CTotalTrainingRecord loaded(m_path);
    ASSERT_TRUE(loaded.Load());
    const CTrainingRecord& x = *loaded.records.at(0);
    EXPECT_EQ(x.code.m_strCode, "A&B");
    EXPECT_EQ(x.name, "한국 <\"x\"> 'y'");
    EXPECT_EQ(x.trades.at(0).comment, "看涨😀 & 加仓");

    // References and entities written by hand, a stray '&', GBK around them.
    WriteFile(m_path,
              "<?xml version=\"1.0\" encoding=\"gb2312\"?><totalTrainingRecord>"
              "<TrainingItem><config name=\"&#x4E2D;\xB9\xFA&#20154;&lt;&amp;x & y\"/>"
              "</TrainingItem></totalTrainingRecord>");
    CTotalTrainingRecord hand(m_path);
    ASSERT_TRUE(hand.Load());
    EXPECT_EQ(hand.records.at(0)->name, "中国人<&x & y");
}

TEST_F(RecordFileTest, LineBreaksAndTabsInTextsRoundTripExactly) {
    const std::string comment = "第一行\n第二行\r\n\t缩进 \r末尾\n";
    const std::string name = "名称\t(测试)";
    CTotalTrainingRecord list(m_path);
    auto r = list.CreateRecord(0, 0, nullptr, CIndSecuCode(1, "600000"), name, 0, 0, 0, 1000, 0);
    r->trades.emplace_back().comment = comment;
    ASSERT_TRUE(list.Save(20240105));
    const std::string first = ReadFile(m_path);
    // Written as character references: no raw line break or tab inside any attribute.
    EXPECT_NE(first.find("&#10;"), std::string::npos);
    EXPECT_NE(first.find("&#13;&#10;&#9;"), std::string::npos);
    EXPECT_EQ(first.find('\t'), std::string::npos);
    EXPECT_EQ(first.find('\r'), std::string::npos);

    CTotalTrainingRecord loaded(m_path);
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.records.at(0)->trades.at(0).comment, comment);
    EXPECT_EQ(loaded.records.at(0)->name, name);
    ASSERT_TRUE(loaded.Save(20240105));
    EXPECT_EQ(ReadFile(m_path), first) << "a second save writes the same bytes";

    // A conforming reader (entities processed) sees the same texts, in GBK.
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(first.data(), first.size()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* item =
        doc.RootElement()->FirstChildElement("TrainingItem")->FirstChildElement("TradeDetail");
    ASSERT_NE(item, nullptr);
    const tinyxml2::XMLElement* trade = item->FirstChildElement("TradeDetailItem");
    ASSERT_NE(trade, nullptr);
    EXPECT_EQ(AnsiToUtf8(trade->Attribute("comment")), comment);
}

TEST_F(RecordFileTest, Utf8DeclaredFileIsReadByItsEncoding) {
    WriteFile(m_path,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><totalTrainingRecord selected=\"0\">"
              "<TrainingItem><config name=\"贵州茅台😀\"/></TrainingItem></totalTrainingRecord>");
    CTotalTrainingRecord list(m_path);
    ASSERT_TRUE(list.Load());
    EXPECT_EQ(list.records.at(0)->name, "贵州茅台😀");
}

TEST_F(RecordFileTest, StopLevelsReloadAsSavedAndPartFormatStillReads) {
    CTotalTrainingRecord list(m_path);
    auto r = list.CreateRecord(0, 0, nullptr, CIndSecuCode(1, "600519"), "贵州茅台", 0, 0, 0,
                               100000, 0.0003);
    const double levels[][2] = {{0.055, 0.125}, {0.05, 0.1}, {0.0333, 1.0 / 3}, {0, 0}};
    for (const auto& lv : levels) {
        r->zy = lv[0];
        r->zs = lv[1];
        ASSERT_TRUE(list.Save(20240105));
        CTotalTrainingRecord loaded(m_path);
        ASSERT_TRUE(loaded.Load());
        EXPECT_EQ(loaded.records.at(0)->zy, lv[0]);
        EXPECT_EQ(loaded.records.at(0)->zs, lv[1]);
    }
    // Round values keep the two-decimal form.
    EXPECT_NE(ReadFile(m_path).find("zy=\"0.00\" zs=\"0.00\""), std::string::npos);

    WriteFile(
        m_path,
        "<?xml version=\"1.0\" encoding=\"gb2312\" ?>\n"
        "<totalTrainingRecord selected=\"0\" TrainedNum=\"0\">\n"
        " <TrainingItem><config market=\"1\" code=\"600000\" zy=\"0.06\" zs=\"0.13\" "
        "commitrate=\"0.000300\"/><Capital leftCapital=\"99999.97\" InitCapital=\"100000.00\" "
        "FrozenCapital=\"0.00\"/></TrainingItem>\n"
        "</totalTrainingRecord>\n");
    CTotalTrainingRecord old(m_path);
    ASSERT_TRUE(old.Load());
    EXPECT_EQ(old.records.at(0)->zy, 0.06);
    EXPECT_EQ(old.records.at(0)->zs, 0.13);
    EXPECT_EQ(old.records.at(0)->commitrate, 0.0003);
    EXPECT_EQ(old.records.at(0)->leftCapital, 99999.97);
}

TEST_F(RecordFileTest, MissingElementsReadAsDefaultsAndBooksExist) {
    // Children in another order, attributes and whole elements missing, a code text longer
    // than a record keeps, GBK texts.
    const std::string longCode(200, '9');
    WriteFile(m_path,
              "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
              "<totalTrainingRecord selected=\"1\">\n"
              " <TrainingItem>\n"
              "  <Capital leftCapital=\"5000.5\"/>\n"
              "  <config market=\"2\" code=\"" +
                  longCode +
                  "\" name=\"\xC6\xBD\xB0\xB2\" T0=\"1\"/>\n"
                  "  <TradeDetail><TradeDetailItem TradeDate=\"20240102\" vol=\"100\" "
                  "comment=\"\xD6\xB9\xD3\xAF\"/></TradeDetail>\n"
                  " </TrainingItem>\n"
                  " <TrainingItem/>\n"
                  "</totalTrainingRecord>\n");
    CTotalTrainingRecord list(m_path);
    ASSERT_TRUE(list.Load());
    ASSERT_EQ(list.records.size(), 2u);
    EXPECT_EQ(TrainedNumCounter().size(), 0u);
    const CTrainingRecord& a = *list.records[0];
    EXPECT_EQ(a.leftCapital, 5000.5);
    EXPECT_EQ(a.InitCapital, 0);
    EXPECT_EQ(a.code.m_nMarket, 2);
    EXPECT_EQ(a.code.m_strCode, longCode.substr(0, CTrainingRecord::kMaxCodeLength));
    EXPECT_EQ(a.name, "平安");
    EXPECT_EQ(a.T0, 1);
    EXPECT_EQ(a.StartDate, 0);
    EXPECT_EQ(a.quoteTime, 0);
    ASSERT_EQ(a.trades.size(), 1u);
    EXPECT_EQ(a.trades[0].comment, "止盈");
    EXPECT_EQ(a.trades[0].TradePrice, 0);

    // Sessions without books in the file still take every order.
    for (const auto& r : list.records) {
        ASSERT_TRUE(r->CallPos && r->PutPos);
        std::string msg;
        r->leftCapital = 10000;
        EXPECT_TRUE(r->Buy(100, 202401020000, msg, true, "", 10));
        EXPECT_TRUE(r->ShortSell(100, 202401020000, msg, "", 10));
        EXPECT_TRUE(r->Sell(100, 202401030000, msg, "", 10));
        EXPECT_TRUE(r->CoverShort(100, 202401030000, msg, "", 10));
        r->ApplyShareBonus(0.1);
        r->ApplyCashDividend(20240104, 0.1);
    }
    // Writing gives them both books.
    ASSERT_TRUE(list.Save(20240105));
    const std::string bytes = ReadFile(m_path);
    EXPECT_NE(bytes.find("<PutPos aveCost=\"0.000\" avehl=\"0.000\"/>"), std::string::npos);
}

TEST_F(RecordFileTest, DamagedFileIsKeptAsideNotOverwritten) {
    const std::string damaged =
        "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<totalTrainingRecord selected=\"0\">\n"
        " <TrainingItem><config name=\"\xC6\xD6\xB7\xA2\"/>\n";  // cut off mid-write
    WriteFile(m_path, damaged);
    // The log writes while its marker file is there.
    const fs::path logDir = m_dir.Path() / "log";
    fs::create_directories(logDir);
    WriteFile(logDir / "log.dat", "");
    SetLogDirectory(logDir.string());
    GetAppLog().Open(LogFilePath("log.txt"));
    CTotalTrainingRecord list(m_path);
    EXPECT_FALSE(list.Load());
    GetAppLog().Close();
    SetLogDirectory("");
    EXPECT_NE(ReadFile((logDir / "log.txt").string()).find("kept aside as"), std::string::npos);
    EXPECT_TRUE(list.records.empty());
    const auto aside = AsideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0].string()), damaged);

    // The next save starts a fresh file and leaves the damaged one alone.
    list.CreateRecord(0, 0, nullptr, CIndSecuCode(1, "600000"), "浦发银行", 0, 0, 0, 1000, 0);
    EXPECT_TRUE(fs::exists(m_path));
    EXPECT_EQ(ReadFile(aside[0].string()), damaged);
    CTotalTrainingRecord again(m_path);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.records.size(), 1u);

    // An empty file and one without a root element are not records either.
    for (const std::string& bytes : {std::string(), std::string("<?xml version=\"1.0\"?>\n")}) {
        fs::remove_all(fs::path(m_path).parent_path());
        WriteFile(m_path, bytes);
        CTotalTrainingRecord l(m_path);
        EXPECT_FALSE(l.Load());
        EXPECT_EQ(AsideFiles().size(), 1u);
    }
}

TEST_F(RecordFileTest, SessionWritesIntoAnyPrinter) {
    // Outside the record file a session prints as plain UTF-8 XML and reads back.
    CTrainingRecord r(nullptr, CIndSecuCode(1, "600000"), 0, 0, 0, 0, 0, 1000, "浦发 & <银行>", 0);
    tinyxml2::XMLPrinter printer;
    r.WriteXml(printer);
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(printer.CStr()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* config = doc.RootElement()->FirstChildElement("config");
    ASSERT_NE(config, nullptr);
    EXPECT_STREQ(config->Attribute("name"), "浦发 & <银行>");
    EXPECT_STREQ(config->Attribute("code"), "600000");
}

TEST_F(RecordFileTest, HostileNumbersLoadAndTradeWithoutHarm) {
    // Values no session writes: extreme counts, a holding out of date order, a negative
    // one, a time past any calendar. Every operation must stay defined and keep going.
    WriteFile(m_path,
              "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<totalTrainingRecord>"
              "<TrainingItem>"
              "<Quote price=\"10\" dataType=\"4\" quoteTime=\"9223372036854775807\"/>"
              "<config T0=\"1\" CanPut=\"1\" zy=\"0.01\" zs=\"0.01\" commitrate=\"0\"/>"
              "<Capital leftCapital=\"1e300\" InitCapital=\"1000\" FrozenCapital=\"0\"/>"
              "<CallPos aveCost=\"1\" avehl=\"0\"><item pos=\"2147483647\" date=\"20240102\"/>"
              "<item pos=\"-2147483648\" date=\"20230101\"/><item pos=\"2147483647\" "
              "date=\"20240103\"/></CallPos>"
              "<PutPos aveCost=\"1\" avehl=\"0\"><item pos=\"2147483647\" date=\"20240102\"/>"
              "<item pos=\"2147483647\" date=\"20240103\"/></PutPos>"
              "</TrainingItem></totalTrainingRecord>");
    CTotalTrainingRecord list(m_path);
    ASSERT_TRUE(list.Load());
    ASSERT_EQ(list.records.size(), 1u);
    CTrainingRecord& r = *list.records[0];
    std::string msg;
    // Shares a book cannot count are refused, whatever the cash, and say why.
    EXPECT_FALSE(r.Buy(1, 202401030000, msg, true, "", 10));
    EXPECT_EQ(msg, CTrainingRecord::kRefusedBookFull);
    msg.clear();
    EXPECT_FALSE(r.ShortSell(1, 202401030000, msg, "", 10));
    EXPECT_EQ(msg, CTrainingRecord::kRefusedBookFull);
    EXPECT_EQ(r.leftCapital, 1e300);
    EXPECT_EQ(r.FrozenCapital, 0);
    EXPECT_TRUE(r.trades.empty());
    EXPECT_EQ(r.CallPos->holdings.back(), (PositionHolding{2147483647, 20240103}));
    r.Buy(2147483647, 202401040000, msg, true, "", 10);
    r.ShortSell(2147483647, 202401040000, msg, "", 10);
    r.Sell(2147483647, 202401030000, msg, "", 10);
    r.CoverShort(2147483647, 202401030000, msg, "", 10);
    r.ApplyShareBonus(10);
    r.ApplyCashDividend(20240104, 1);
    r.BuyRightsIssue(20240104, msg, 100, 1);
    r.UpdateAsset(20240104, 10);
    r.GetMaxBuyVolume(1e-300);
    r.price = 1000;
    r.CheckStopProfitLoss(true);
    r.price = 0.001;
    r.CheckStopProfitLoss(false);
    EXPECT_TRUE(list.Save(20240105));
    CTotalTrainingRecord again(m_path);
    EXPECT_TRUE(again.Load());

    // A stop on a day bar whose time no calendar holds still closes the position.
    CTrainingRecord d(nullptr, CIndSecuCode(1, "600000"), 1, 0, 0, 0, 0, 100000, "", 0);
    ASSERT_TRUE(d.Buy(100, 202401020000, msg, true, "", 10));
    d.zy = 0.05;
    d.dataType = 4;
    d.quoteTime = (int64_t{1} << 50) + 20240103;  // reads as 20240103 where 32 bits are kept
    d.price = 11;
    EXPECT_TRUE(d.CheckStopProfitLoss(true));
    EXPECT_EQ(d.GetPositionVolume(true), 0);
}

TEST_F(RecordFileTest, SavesWhenSessionsAreCreatedEndedAndResumed) {
    CTotalTrainingRecord list(m_path);
    auto r = list.CreateRecord(0, 1, nullptr, CIndSecuCode(1, "600000"), "浦发银行", 0, 0, 0,
                               100000, 0.0003);
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.GetSelectedRecord(), r);
    {
        CTotalTrainingRecord disk(m_path);
        ASSERT_TRUE(disk.Load());
        ASSERT_EQ(disk.records.size(), 1u);
        EXPECT_EQ(disk.records[0]->TrainStatus, kTrainStatusStart);
    }
    list.ResumeSession(*r);
    {
        CTotalTrainingRecord disk(m_path);
        ASSERT_TRUE(disk.Load());
        EXPECT_TRUE(disk.HasRunningRecord());
    }
    list.EndSession(*r);
    {
        CTotalTrainingRecord disk(m_path);
        ASSERT_TRUE(disk.Load());
        EXPECT_EQ(disk.records[0]->TrainStatus, kTrainStatusEnded);
        EXPECT_FALSE(disk.HasRunningRecord());
    }
    list.selected = 5;
    EXPECT_EQ(list.GetSelectedRecord(), nullptr);
}

TEST_F(RecordFileTest, GuestCounterKeepsOnlyTodaysEntry) {
    CTotalTrainingRecord list(m_path);
    TrainedNumCounter()[20240105] = 3;
    ASSERT_TRUE(list.Save(20240105));
    TrainedNumCounter().clear();
    ASSERT_TRUE(CTotalTrainingRecord(m_path).Load());
    EXPECT_EQ(TrainedNumCounter()[20240105], 3);

    ASSERT_TRUE(list.Save(20240106));
    EXPECT_NE(ReadFile(m_path).find("TrainedNum=\"202401060000\""), std::string::npos);
}

TEST_F(RecordFileTest, HundredsOfSessions) {
    CTotalTrainingRecord list(m_path);
    for (int i = 0; i < 400; ++i) {
        auto r = std::make_shared<CTrainingRecord>(
            nullptr, CIndSecuCode(1 + i % 2, std::to_string(600000 + i)), i % 2, 1, 0, 0, 0,
            100000 + i, "训练" + std::to_string(i), 0.0003);
        list.records.push_back(r);
        std::string msg;
        for (int d = 0; d < 5; ++d) {
            ASSERT_TRUE(r->Buy(100, (20240102 + d) * 10000LL, msg, true,
                               "第" + std::to_string(d) + "笔", 10 + d));
        }
        r->TrainStatus = kTrainStatusEnded;
        if (i % 100 == 0) {
            ASSERT_TRUE(list.Save(20240105));  // saved now and then, as sessions come and go
        }
    }
    list.selected = 399;
    ASSERT_TRUE(list.Save(20240105));
    CTotalTrainingRecord loaded(m_path);
    ASSERT_TRUE(loaded.Load());
    ASSERT_EQ(loaded.records.size(), 400u);
    EXPECT_EQ(loaded.GetSelectedRecord(), loaded.records[399]);
    for (int i : {0, 137, 399}) {
        SCOPED_TRACE(i);
        ExpectSameRecord(*list.records[i], *loaded.records[i]);
        EXPECT_EQ(loaded.records[i]->name, "训练" + std::to_string(i));
        EXPECT_EQ(loaded.records[i]->trades[4].comment, "第4笔");
    }
}

struct Dated {
    int32_t date;
    int expected;  // position in the selection, -1 when left out
};

TEST_F(RecordFileTest, WeekMonthAndYearSelections) {
    auto listOf = [](std::initializer_list<int32_t> dates) {
        CTotalTrainingRecord list("unused");
        for (int32_t d : dates) {
            auto r = std::make_shared<CTrainingRecord>();
            r->TrainingDate = d;
            list.records.push_back(r);
        }
        return list;
    };
    auto datesOf = [](const CTotalTrainingRecord::RecordList& v) {
        std::vector<int32_t> out;
        for (const auto& r : v) out.push_back(r->TrainingDate);
        return out;
    };
    // 2024-01-06 Saturday, 01-07 Sunday, 01-08 Monday.
    CTotalTrainingRecord::RecordList week;
    listOf({20240106, 20240107, 20240108}).SelectThisWeek(week);
    EXPECT_EQ(datesOf(week), (std::vector<int32_t>{20240108, 20240107}));

    // A Wednesday eight days before a Thursday is another week.
    week.clear();
    listOf({20240103, 20240110, 20240111}).SelectThisWeek(week);
    EXPECT_EQ(datesOf(week), (std::vector<int32_t>{20240111, 20240110}));

    CTotalTrainingRecord::RecordList month, year;
    const auto list = listOf({20230115, 20240115, 20240201, 20240105, 20240210, 20240212});
    list.SelectThisMonth(month);
    EXPECT_EQ(datesOf(month), (std::vector<int32_t>{20240212, 20240210}));
    list.SelectThisYear(year);
    EXPECT_EQ(datesOf(year),
              (std::vector<int32_t>{20240212, 20240210, 20240105, 20240201, 20240115}));

    CTotalTrainingRecord::RecordList none;
    listOf({}).SelectThisWeek(none);
    EXPECT_TRUE(none.empty());
}

}  // namespace
