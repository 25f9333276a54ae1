#include <gtest/gtest.h>

#include <map>

#include "foundation/CommonColors.h"
#include "foundation/Format.h"

TEST(Format, CommandsAndPeriodsMapBothWays) {
    PeriodSettings s;
    s.minuteCount = 7;
    int16_t type = -9, period = -9;
    CommandIdToPeriod(ID_PERIOD_NMINUTE, type, period, s);
    EXPECT_EQ(type, 3);
    EXPECT_EQ(period, 7);
    EXPECT_EQ(PeriodToCommandId(3, 7), 0);
    CommandIdToPeriod(12345, type, period, s);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(period, 0);
    CommandIdToPeriod(ID_PERIOD_NDAY, type, period, s);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(period, -1);
    // Every fixed command survives the round trip.
    for (int cmd = ID_PERIOD_TICK; cmd <= ID_PERIOD_NDAY; ++cmd) {
        if (cmd == ID_PERIOD_NMINUTE) continue;
        CommandIdToPeriod(cmd, type, period, s);
        EXPECT_EQ(PeriodToCommandId(type, period), cmd) << cmd;
    }
    EXPECT_EQ(PeriodToCommandId(3, -1), ID_PERIOD_NMINUTE);
    EXPECT_EQ(PeriodToCommandId(13, 99), ID_PERIOD_TICK);
    EXPECT_EQ(PeriodToCommandId(2, 99), ID_PERIOD_TREND);
    EXPECT_EQ(PeriodToCommandId(4, 9), 0);
}

TEST(Format, PeriodNames) {
    PeriodSettings s;
    s.minuteCount = 7;
    s.dayCount = -3;
    struct {
        int period, type;
        bool expand, shortName;
        const char* name;
    } cases[] = {
        {0, 2, false, false, "分时"},    {0, 5, false, false, "历史"},
        {0, 13, false, false, "每笔"},   {5, 3, false, false, "5分钟"},
        {5, 3, false, true, "5分"},      {-1, 3, false, false, "多分钟"},
        {-1, 3, true, false, "7分钟"},   {1, 4, false, false, "日线"},
        {2, 4, false, false, "周线"},    {5, 4, false, false, "半年线"},
        {6, 4, false, false, "年线"},    {0, 4, false, false, "日线"},
        {-1, 4, false, false, "多日线"}, {-1, 4, true, false, "反3日"},
        {1, 9, false, false, ""},
    };
    for (auto c : cases)
        EXPECT_EQ(GetPeriodName(c.period, c.type, c.expand, c.shortName, s), c.name)
            << c.period << "/" << c.type;
    s.dayCount = 10;
    EXPECT_EQ(GetPeriodName(-1, 4, true, false, s), "正10日");
}

TEST(Format, Numbers) {
    EXPECT_EQ(RoundToInt(2.5), 3.0);
    EXPECT_EQ(RoundToInt(-2.5), -3.0);
    EXPECT_EQ(RoundToInt(-2.4), -2.0);
    struct {
        double x;
        const char* text;
    } compact[] = {{3.0, "3"},
                   {3.5, "3.5"},
                   {3.25, "3.25"},
                   {-2.5, "-2.5"},
                   {0.0, "0"},
                   {-7.0, "-7"},
                   {1e20, "100000000000000000000"}};
    for (auto c : compact) EXPECT_EQ(FormatCompactNumber(c.x), c.text) << c.x;
    struct {
        int64_t v, d;
        const char* text;
    } scaled[] = {{12340, 1000, "12.34"}, {12345, 1000, "12.345"},
                  {-500, 1000, "-0.5"},   {7000, 1000, "7"},
                  {0, 1000, "0"},         {5, 1000, "0.005"},
                  {-1234, 100, "-12.34"}, {42, 1, "42"},
                  {42, 0, "42"},          {INT64_MIN, 1000, "-9223372036854775.808"}};
    for (auto c : scaled) EXPECT_EQ(FormatScaledInt64(c.v, c.d), c.text) << c.v << "/" << c.d;
}

TEST(Format, MarketNamesAndNumericText) {
    EXPECT_EQ(GetMarketName(1), "沪");
    EXPECT_EQ(GetMarketName(2), "深");
    EXPECT_EQ(GetMarketName(0), "未知");
    EXPECT_TRUE(IsNumericText(""));
    EXPECT_TRUE(IsNumericText("12.5"));
    EXPECT_FALSE(IsNumericText("-1"));
    EXPECT_FALSE(IsNumericText("12a"));
}

TEST(Format, LinearRegressionEndsOfShortAndNoisySeries) {
    double first = -1, last = -1;
    LinearRegressionEnds(nullptr, 0, first, last);
    EXPECT_EQ(first, -1);
    double two[] = {4, 9};
    LinearRegressionEnds(two, 2, first, last);
    EXPECT_EQ(first, 4);
    EXPECT_EQ(last, 9);
    double line[] = {1, 3, 5, 7};
    LinearRegressionEnds(line, 4, first, last);
    EXPECT_DOUBLE_EQ(first, 1);
    EXPECT_DOUBLE_EQ(last, 7);
    double noisy[] = {0, 2, 1};
    LinearRegressionEnds(noisy, 3, first, last);
    EXPECT_DOUBLE_EQ(first, 0.5);
    EXPECT_DOUBLE_EQ(last, 1.5);
}

TEST(Format, DefaultColorTable) {
    COLORREF table[16];
    InitDefaultColorTable(table);
    EXPECT_EQ(table[0], RGB(0, 0, 0));
    EXPECT_EQ(table[6], RGB(192, 128, 64));
    EXPECT_EQ(table[10], 0x60FF00u);
    EXPECT_EQ(table[15], 0xFFFFFFu);
}

TEST(CommonColors, RiseFallUsesTheTableAndAMissingSkinKeyIsBlack) {
    CommonColorTable colors;
    SetDefaultCommonColours(colors);
    std::map<std::string, COLORREF> skin = {{"uniFall", RGB(0, 255, 0)},
                                            {"uniEqual", RGB(1, 2, 3)},
                                            {"uniDlgTemplateClose", RGB(9, 9, 9)}};
    LoadCommonColours(colors, [&](std::string_view key) -> std::optional<COLORREF> {
        auto it = skin.find(std::string(key));
        if (it == skin.end()) return std::nullopt;
        return it->second;
    });
    EXPECT_EQ(GetRiseFallColor(10.0, 9.0, colors), 0u) << "skin without uniRise";
    EXPECT_EQ(GetRiseFallColor(9.0, 10.0, colors), RGB(0, 255, 0));
    EXPECT_EQ(GetRiseFallColor(10.00005, 10.0, colors), RGB(1, 2, 3));
    EXPECT_EQ(colors[CommonColor::uniDlgTemplateClose], RGB(9, 9, 9));
    EXPECT_EQ(colors[39], 0xFFFFFFu);
    EXPECT_EQ(colors[42], 0x6060FFu);
    EXPECT_EQ(colors[46], 0x808080u);
}

TEST(CommonColors, KeysDefaultsAndColourText) {
    EXPECT_STREQ(CommonColorKey(0), "uniTransParent");
    EXPECT_STREQ(CommonColorKey(12), "uniRise");
    EXPECT_STREQ(CommonColorKey(38), "uniPic_CurPic_Price");
    EXPECT_EQ(CommonColorKey(39), nullptr);
    EXPECT_STREQ(CommonColorKey(47), "uniSplitter_Arrow");
    EXPECT_STREQ(CommonColorKey(64), "uniDlgTemplateClose");
    EXPECT_EQ(CommonColorKey(65), nullptr);

    CommonColorTable colors;
    SetDefaultCommonColours(colors);
    EXPECT_NE(colors[CommonColor::uniRise], colors[CommonColor::uniBackGround]);
    EXPECT_NE(colors[CommonColor::uniFall], colors[CommonColor::uniBackGround]);
    EXPECT_EQ(colors[CommonColor::Line2], 0x40FFFFu);

    EXPECT_EQ(ParseColorText("RGB(255,96,96)"), RGB(255, 96, 96));
    EXPECT_EQ(ParseColorText(" RGB( 1, 2 ,3 ) "), RGB(1, 2, 3));
    EXPECT_EQ(ParseColorText("RGB(256,0,0)"), std::nullopt);
    EXPECT_EQ(ParseColorText("RGB(1,2,3"), std::nullopt);
    EXPECT_EQ(ParseColorText("RGB(1,2,3)x"), std::nullopt);
    EXPECT_EQ(ParseColorText(""), std::nullopt);
    EXPECT_EQ(FormatColorText(RGB(0, 128, 255)), "RGB(0,128,255)");
}
