// The common variables and resources: one object per process whichever thread asks
// first, the mode titles and keys, the fonts, and the resources by id.
#include "ui/CommonVar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "ui/CommonResouce.h"
#include "ui/SkinResManager.h"

namespace {

template <class Get>
std::set<const void*> AskFromThreads(Get get) {
    constexpr int kThreads = 8;
    std::vector<const void*> seen(kThreads);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            while (!go.load()) std::this_thread::yield();
            seen[i] = get();
        });
    go = true;
    for (auto& t : threads) t.join();
    return {seen.begin(), seen.end()};
}

TEST(Singletons, EveryThreadGetsTheSameObject) {
    common_var_testing::Reset();
    common_resouce_testing::Reset();
    DeleteSkinResManager();
    auto vars = AskFromThreads([] { return (const void*)GetCommonVar(); });
    auto res = AskFromThreads([] { return (const void*)GetCommonResouce(); });
    auto skins = AskFromThreads([] { return (const void*)GetSkinResManager(); });
    ASSERT_EQ(vars.size(), 1u);
    ASSERT_EQ(res.size(), 1u);
    ASSERT_EQ(skins.size(), 1u);
    EXPECT_EQ(*vars.begin(), GetCommonVar());
    EXPECT_EQ(*res.begin(), GetCommonResouce());
    EXPECT_EQ(*skins.begin(), GetSkinResManager());
    EXPECT_NE(*vars.begin(), nullptr);
}

TEST(CommonVar, StartsWithTheDocumentedValues) {
    CommonVar v;
    EXPECT_EQ(v.m_nDragFlag, 0);
    EXPECT_EQ(v.m_nTransparency, 1);
    EXPECT_EQ(v.m_pair[0], 10);
    EXPECT_EQ(v.m_pair[1], 2);
    EXPECT_EQ(v.m_nCutterSize, 0);
    EXPECT_EQ(v.m_nDayCount, 10);
    EXPECT_EQ(v.m_nMinuteCount, 3);
    EXPECT_TRUE(v.m_titles.empty());
    EXPECT_TRUE(v.m_modeKeys.empty());
    EXPECT_EQ(v.GetCurrentElement(), nullptr);
    for (COLORREF c : v.m_colors) EXPECT_EQ(c, 0u);
}

TEST(CommonVar, ModeKeysAndTitles) {
    CommonVar v;
    v.Init();
    EXPECT_EQ(v.GetTitleByKey("trend"), "分析走势");
    EXPECT_EQ(v.GetTitleByKey("training"), "特训场");
    EXPECT_EQ(v.GetTitleByKey("none"), "");
    EXPECT_EQ(v.GetKeyByTitle("选股训练"), "selstocktraining");
    EXPECT_EQ(v.GetKeyByTitle("趋势训练"), "trendtraining");
    EXPECT_EQ(v.GetKeyByTitle("选股"), "");  // a prefix is no title
    EXPECT_EQ(v.GetKeyByTitle(""), "");
    EXPECT_EQ(v.m_nCutterSize, 6);
}

TEST(CommonVar, InitTwiceKeepsOneTitlePerModeAndRebuildsTheFonts) {
    CommonVar v;
    v.Init();
    v.Init();
    ASSERT_EQ(v.m_titles.size(), 2u);
    EXPECT_EQ(v.m_titles[0], "特训场");
    EXPECT_EQ(v.m_titles[1], "分析走势");
    EXPECT_EQ(v.m_modeKeys.size(), 4u);
    for (int i = 0; i < CommonVar::kFontCount; ++i) EXPECT_TRUE(v.m_fonts[i].m_created) << i;
}

TEST(CommonVar, FontsAsTheWindowsAskForThem) {
    CommonVar v;
    v.Init();
    struct Case {
        int index;
        const char* face;
        int height, weight;
        bool italic, underline;
        int charset;
    } cases[] = {
        {CommonVar::kFontSong12Underline, "宋体", 12, 400, false, true, GB2312_CHARSET},
        {CommonVar::kFontSong14Bold, "宋体", 14, 700, false, false, GB2312_CHARSET},
        {CommonVar::kFontSong14Italic, "宋体", 14, 400, true, false, GB2312_CHARSET},
        {CommonVar::kFontTimes30Bold, "Times New Roman", 30, 700, false, false, 0},
        {CommonVar::kFontSong14, "宋体", 14, 400, false, false, GB2312_CHARSET},
        {CommonVar::kFontSong12, "宋体", 12, 400, false, false, GB2312_CHARSET},
        {CommonVar::kFontArial13, "ARIAL", 13, 400, false, false, 0},
    };
    for (const Case& c : cases) {
        LOGFONT lf;
        ASSERT_TRUE(v.GetFont(c.index)->GetLogFont(&lf)) << c.index;
        EXPECT_EQ(lf.lfFaceName, c.face) << c.index;
        EXPECT_EQ(lf.lfHeight, c.height) << c.index;
        EXPECT_EQ(lf.lfWeight, c.weight) << c.index;
        EXPECT_EQ(lf.lfItalic != 0, c.italic) << c.index;
        EXPECT_EQ(lf.lfUnderline != 0, c.underline) << c.index;
        EXPECT_EQ(lf.lfCharSet, c.charset) << c.index;
    }
    // The names the chart and the toolkit use reach fonts of the right shape.
    LOGFONT lf;
    v.GetFont(CommonVar::Font::Chart)->GetLogFont(&lf);
    EXPECT_EQ(lf.lfFaceName, "Times New Roman");
    EXPECT_EQ(lf.lfHeight, 14);
    v.GetFont(CommonVar::Font::ElementBar)->GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, 12);
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    v.GetFont(CommonVar::Font::TipHeader)->GetLogFont(&lf);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(v.GetFont(99), nullptr);
    CommonVar::FontSet large = v.GetFontSet(CommonVar::kSetLarge);
    large.number->GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, 20);
}

TEST(CommonVar, MeasuredCellsComeFromTheFontPairs) {
    CommonVar v;
    v.Init();
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    v.MeasureFonts(&dc);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(v.m_textCells[i].cx, 0) << i;
        EXPECT_GT(v.m_textCells[i].cy, 0) << i;
    }
    // The 20-pixel pair is taller than the 12-pixel one.
    EXPECT_GT(v.m_textCells[1].cy, v.m_textCells[2].cy);
    EXPECT_GT(v.m_nChartTextHeight, 0);
    EXPECT_GT(v.m_nChartCharWidth, 0);
    EXPECT_GT(v.m_nTimeAxisHeight, v.m_nChartTextHeight);
    EXPECT_GT(v.m_nStatusTipCharWidth, 0);
}

TEST(CommonVar, TheCurrentElementIsForgottenOnlyByItself) {
    CommonVar v;
    auto* a = reinterpret_cast<CElementWnd*>(0x1000);
    auto* b = reinterpret_cast<CElementWnd*>(0x2000);
    v.SetCurrentElement(a);
    v.ForgetElement(b);
    EXPECT_EQ(v.GetCurrentElement(), a);
    v.ForgetElement(a);
    EXPECT_EQ(v.GetCurrentElement(), nullptr);
}

}  // namespace
