// The drop shadow's computed picture and its settings.
#include <gtest/gtest.h>

#include "windowless/Shadow.h"

using namespace WinlessUI;

namespace {
int Alpha(const std::vector<DWORD>& px, int width, int x, int y) {
    return int(px[size_t(y) * width + x] >> 24);
}
auto kRect = [](int, int) { return true; };
}  // namespace

TEST(Shadow, RingFadesOutsideAndHostStaysClear) {
    std::vector<DWORD> px = CShadowUI::ComputeShadow(20, 20, kRect, 5, 5, 150, 0, 0, 0);
    ASSERT_EQ(px.size(), 30u * 30u);
    struct Case {
        int x, y, alpha;
    } cases[] = {
        {4, 15, 125},  // one pixel out: (1 - 1/6) * 150
        {2, 15, 75},   // three out
        {0, 15, 25},   // five out: 150 * (1 - 5/6)
        {15, 0, 25},
        {29, 15, 25},
        {10, 15, 0},   // under the host
        {5, 5, 0},
        {0, 0, 0},     // beyond the radius at the corner
    };
    for (const Case& c : cases) EXPECT_EQ(Alpha(px, 30, c.x, c.y), c.alpha) << c.x << "," << c.y;
}

TEST(Shadow, OffsetMovesTheSolidPartNotTheHole) {
    std::vector<DWORD> px = CShadowUI::ComputeShadow(20, 20, kRect, 5, 5, 150, 0x00336699, 3, 3);
    // The hole follows the host (shifted by the offset inside the shadow's picture).
    EXPECT_EQ(Alpha(px, 30, 10, 10), 0);
    // Right of the host's right edge, the colour is premultiplied by the darkness.
    DWORD p = px[size_t(15) * 30 + 26];
    EXPECT_GT(int(p >> 24), 0);
    EXPECT_LE(int((p >> 16) & 0xFF), int(p >> 24));
}

TEST(Shadow, SettingsAreRangeChecked) {
    CShadowUI s;
    struct Case {
        int size;
        bool ok;
    } sizes[] = {{-21, false}, {-20, true}, {20, true}, {21, false}};
    for (const Case& c : sizes) EXPECT_EQ(s.SetSize(c.size), c.ok) << c.size;
    EXPECT_FALSE(s.SetSharpness(21));
    EXPECT_TRUE(s.SetSharpness(20));
    EXPECT_FALSE(s.SetDarkness(256));
    EXPECT_FALSE(s.SetPosition(21, 0));
    EXPECT_TRUE(s.SetPosition(-20, 20));
    EXPECT_FALSE(s.SetImage(nullptr));
    EXPECT_FALSE(s.SetShadowCorner(RECT{0, -1, 0, 0}));
    EXPECT_FALSE(s.IsShowShadow());
    EXPECT_EQ(s.GetShadowWindow(), nullptr);  // nothing exists while "showshadow" is off
}
