// Drawing's shortcuts (shaped text kept for reuse, text written straight into the image,
// runs of lines drawn in one go) change nothing on screen: every scene is drawn with them
// off, then on four times (laying out; reusing the layout; making masks of texts drawn
// before and writing from them; reusing the masks), and the pixels compared.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/App.h"
#include "platform/Gdi.h"

namespace {

constexpr int kW = 700, kH = 560;

struct Dib {
    CBitmap bmp;
    CDC dc;
    void* bits = nullptr;
    explicit Dib(bool fill = true) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateDIBSection(kW, kH, &bits);
        dc.SelectObject(&bmp);
        if (fill) dc.FillSolidRect(CRect(0, 0, kW, kH), RGB(20, 30, 40));
    }
};

// What scenes are drawn on: a DIB section (32-bit premultiplied) filled with one colour or
// left transparent, or a bitmap compatible with a memory DC (32-bit opaque), whose pixels
// are copied into a DIB section to be compared.
enum class Target { Dib, TransparentDib, Compatible };
const char* const kTargetNames[] = {"dib", "transparent dib", "compatible bitmap"};

// Stripes of many colours under the right half of the image.
void Stripes(CDC& dc) {
    for (int x = kW / 2; x < kW; x += 5)
        dc.FillSolidRect(x, 0, 5, kH, RGB(x * 37 % 256, x * 91 % 256, x * 13 % 256));
}

struct Canvas {
    Dib dib;
    CDC mem;
    CBitmap bmp;
    Target target;
    explicit Canvas(Target t) : dib(t == Target::Dib), target(t) {
        if (t != Target::Compatible) return;
        mem.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&mem, kW, kH);
        mem.SelectObject(&bmp);
        mem.FillSolidRect(CRect(0, 0, kW, kH), RGB(20, 30, 40));
    }
    CDC& Dc() { return target == Target::Compatible ? mem : dib.dc; }
    const uint32_t* Pixels() {
        if (target == Target::Compatible) dib.dc.BitBlt(0, 0, kW, kH, &mem, 0, 0, SRCCOPY);
        return static_cast<const uint32_t*>(dib.bits);
    }
};

struct ShortcutsOn {
    ~ShortcutsOn() { platform::SetDrawingShortcuts(true); }
};

// Pixels that differ between the scene drawn without shortcuts and with them (each of four
// times); the first differing pixel in *where.
int Differences(const std::function<void(CDC&)>& scene, std::string* where,
                Target target = Target::Dib) {
    ShortcutsOn restore;
    platform::SetDrawingShortcuts(false);
    Canvas plain(target);
    scene(plain.Dc());
    const auto* a = plain.Pixels();
    platform::SetDrawingShortcuts(true);
    int diff = 0;
    for (int round = 0; round < 4; ++round) {
        Canvas fast(target);
        scene(fast.Dc());
        const auto* b = fast.Pixels();
        for (int i = 0; i < kW * kH; ++i)
            if (a[i] != b[i]) {
                if (!diff++ && where)
                    *where = "round " + std::to_string(round) + " at (" + std::to_string(i % kW) +
                             "," + std::to_string(i / kW) + ")";
            }
    }
    return diff;
}

struct FontCase {
    const char* name;
    int height, weight;
    bool italic, underline;
    const char* face;
};

const FontCase kFonts[] = {
    {"stock", 0, 0, false, false, nullptr},
    {"song 12", -12, 400, false, false, "宋体"},
    {"song 24", -24, 400, false, false, "宋体"},
    {"bold 13", -13, 700, false, false, "Arial"},
    {"italic 16", -16, 400, true, false, "Times New Roman"},
    {"underlined 14", -14, 400, false, true, "宋体"},
};

const char* const kTexts[] = {
    "0.618(42.22)", "压力位", "MA5: 51.23", "混合 Mixed 文本 text", "  leading and trailing  ",
    "a&b&&c",       "tab\there", "", "العربية 12", "e\xcc\x81\xcc\x81 fi ffl", "2020/01/02",
};

// Makes `font` of the face and selects it into dc.
void SelectFace(CDC& dc, CFont& font, const char* face, int height, int weight = 400,
                bool italic = false, bool underline = false) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfFaceName = face;
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&font);
}

TEST(DrawingShortcuts, TextLooksTheSameLaidOutAgainOrReused) {
    for (const FontCase& f : kFonts) {
        SCOPED_TRACE(f.name);
        auto scene = [&](CDC& dc) {
            CFont font;
            if (f.face) {
                SelectFace(dc, font, f.face, f.height, f.weight, f.italic, f.underline);
            }
            dc.SetTextColor(RGB(250, 240, 10));
            dc.SetBkColor(RGB(90, 0, 90));
            int y = 2, k = 0;
            for (const char* text : kTexts) {
                dc.SetBkMode(k % 3 == 0 ? OPAQUE : TRANSPARENT);
                const UINT align[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BASELINE, TA_RIGHT | TA_BOTTOM};
                dc.SetTextAlign(align[k % 3]);
                dc.TextOut(k % 3 == 0 ? 3 : k % 3 == 1 ? 80 : 158, y + (k % 3 ? 14 : 0), text);
                CRect rc(162, y, 318, y + 18);
                const UINT formats[] = {DT_SINGLELINE | DT_VCENTER | DT_CENTER,
                                        DT_SINGLELINE | DT_RIGHT | DT_END_ELLIPSIS,
                                        DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS, DT_SINGLELINE | DT_NOCLIP};
                dc.DrawText(text, &rc, formats[k % 4]);
                // a rectangle of just the text's extent, as labels are placed
                const CSize ext = dc.GetTextExtent(text);
                CRect tight(330 + k % 4, y, 330 + k % 4 + ext.cx, y + ext.cy);
                dc.DrawText(text, &tight, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
                y += 17;
                ++k;
            }
            dc.SetTextAlign(TA_LEFT | TA_TOP);
            // wrapped lines and a viewport moved by a few pixels
            dc.SetViewportOrg(3, -2);
            CRect wrap(4, y, 150, kH);
            dc.DrawText("第一行很长的文字会折行 and words wrap here\n第二行", &wrap, DT_WORDBREAK);
            // texts cut by their rectangle and by the DC's clip, of one rectangle or of several
            dc.IntersectClipRect(0, 0, 500, 400);
            for (int k = 0; k < 2; ++k) {
                if (k) dc.ExcludeClipRect(420, 0, 440, 560);
                CRect cut(380 + 5 * k, 10 + 40 * k, 470, 22 + 40 * k);
                dc.DrawText("0.618(42.22) 压力位 cut", &cut, DT_SINGLELINE | DT_LEFT);
                CRect over(430, 30 + 40 * k, 520, 60 + 40 * k);
                dc.DrawText("1.500(39.25)", &over, DT_SINGLELINE | DT_LEFT);
            }
            dc.SelectClipRgn(nullptr);
            dc.SetViewportOrg(0, 0);
        };
        std::string where;
        EXPECT_EQ(Differences(scene, &where), 0) << where;
    }
}

TEST(DrawingShortcuts, TextInRectanglesOfItsExtentShowsNothingPastThem) {
    // every printable ASCII character, common CJK ones and labels, each in a rectangle of
    // just its extent (where the glyphs fit, the rectangle's clip is left out): a glyph
    // reaching past its measured ink would show outside with the shortcut
    std::vector<std::string> texts;
    for (char c = 33; c < 127; ++c) texts.push_back(std::string(1, c));
    for (const char* t : {"国", "压", "力", "位", "日", "线", "量", "第", "二", "行", "、", "。", "（", "）",
                          "黄", "金", "分", "割", "周", "期", "趋", "势", "通", "道", "回", "归", "带", "箱", "体",
                          "0.618(42.22)", "100.0%(43.50)", "-9.38%", "MA5: 51.23", "ÀÉÎÕÜ", "gjpqy|"})
        texts.push_back(t);
    struct Face {
        const char* face;
        int height, weight;
        bool italic;
    };
    const Face faces[] = {{"宋体", -12, 400, false},           {"宋体", -16, 700, false},
                          {"Arial", -13, 400, false},          {"Times New Roman", -15, 400, true},
                          {"Arial", -22, 700, false},          {"宋体", -9, 400, false},
                          {"", -12, 400, false},               {"", -13, 400, false},
                          {"", -14, 400, false},               {"", -18, 400, false},
                          {"", 16, 400, false},                {"宋体", -11, 400, false},
                          {"宋体", -14, 400, false},           {"宋体", -20, 400, false},
                          {"宋体", -30, 400, false},           {"Times New Roman", -17, 400, false},
                          {"Courier New", -13, 400, false},    {"黑体", -15, 400, false}};
    for (const Face& f : faces) {
        SCOPED_TRACE(std::string(f.face) + " " + std::to_string(f.height));
        auto scene = [&](CDC& dc) {
            CFont font;
            SelectFace(dc, font, f.face, f.height, f.weight, f.italic);
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(RGB(255, 255, 255));
            int x = 2, y = 2;
            for (const std::string& t : texts) {
                const CSize ext = dc.GetTextExtent(t);
                if (x + ext.cx + 4 > kW) {
                    x = 2;
                    y += ext.cy + 3;
                }
                for (UINT format : {UINT(DT_LEFT), UINT(DT_CENTER), UINT(DT_RIGHT)}) {
                    CRect rc(x, y, x + ext.cx, y + ext.cy);
                    dc.DrawText(t, &rc, DT_SINGLELINE | DT_NOPREFIX | format);
                }
                x += ext.cx + 4;
            }
        };
        std::string where;
        EXPECT_EQ(Differences(scene, &where), 0) << where;
    }
}

TEST(DrawingShortcuts, TextWrittenIntoTheImageBlendsAsTheToolkitDoes) {
    // texts of several fonts and colours over backgrounds of many colours, with the
    // background opaque and transparent, unclipped and clipped (to one rectangle, to several,
    // and by the text's own rectangle), on images of every kind the writer takes; glyphs that
    // share pixels (combining marks, slanted letters) among them
    struct Colours {
        COLORREF text, bk;
    };
    const Colours colours[] = {{RGB(255, 255, 255), RGB(0, 0, 0)},
                               {RGB(250, 240, 10), RGB(90, 0, 90)},
                               {RGB(0, 0, 0), RGB(255, 255, 255)},
                               {RGB(17, 200, 133), RGB(240, 10, 60)}};
    struct Face {
        const char* face;
        int height, weight;
        bool italic;
    };
    const Face faces[] = {{"宋体", -12, 400, false},
                          {"Arial", -13, 700, false},
                          {"Times New Roman", -16, 400, true},
                          {"", -14, 400, false},
                          {"黑体", -15, 700, false}};
    const char* const texts[] = {"0.618(42.22) 压力位", "MA5: 51.23 第二行", "fffl VAW To",
                                 "e\xcc\x81\xcc\x81" "a\xcc\x88 \xe2\x80\x9cq\xe2\x80\x9d", "黄金分割 100.0%"};
    for (int t = 0; t < 3; ++t)
        for (const Face& f : faces) {
            SCOPED_TRACE(std::string(kTargetNames[t]) + " " + f.face + " " + std::to_string(f.height));
            auto scene = [&](CDC& dc) {
                Stripes(dc);
                CFont font;
                SelectFace(dc, font, f.face, f.height, f.weight, f.italic);
                for (int ci = 0; ci < 4; ++ci)
                    for (int cm = 0; cm < 3; ++cm) {
                        const int x0 = 6 + cm * 232, y0 = 6 + ci * 136;
                        dc.SetTextColor(colours[ci].text);
                        dc.SetBkColor(colours[ci].bk);
                        if (cm) dc.IntersectClipRect(x0 + 20, y0 + 5, x0 + 170, y0 + 110);
                        if (cm == 2) {
                            dc.ExcludeClipRect(x0 + 60, y0, x0 + 75, y0 + 136);
                            dc.SetViewportOrg(3, -2);
                        }
                        int y = y0;
                        for (int k = 0; k < 5; ++k, y += 22) {
                            const char* text = texts[(k + ci) % 5];
                            dc.SetBkMode((k + cm) % 2 ? OPAQUE : TRANSPARENT);
                            const UINT align[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BASELINE,
                                                  TA_RIGHT | TA_BOTTOM};
                            dc.SetTextAlign(align[(k + ci) % 3]);
                            dc.TextOut(x0 + 100, y + 12, text);
                            dc.SetTextAlign(TA_LEFT | TA_TOP);
                            // its extent, a rectangle cutting it, none at all
                            const CSize ext = dc.GetTextExtent(text);
                            CRect tight(x0 + 2 + k, y + 10, x0 + 2 + k + ext.cx, y + 10 + ext.cy);
                            dc.DrawText(text, &tight, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
                            CRect cut(x0 + 40, y + 4, x0 + 40 + ext.cx / 2, y + 4 + ext.cy - 3);
                            dc.DrawText(text, &cut, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
                            CRect none(x0 + 150, y + 6, x0 + 160, y + 8);
                            dc.DrawText(text, &none, DT_SINGLELINE | DT_RIGHT | DT_NOCLIP);
                        }
                        dc.SelectClipRgn(nullptr);
                        dc.SetViewportOrg(0, 0);
                    }
            };
            std::string where;
            EXPECT_EQ(Differences(scene, &where, Target(t)), 0) << where;
        }
}

TEST(DrawingShortcuts, TextOfMoreMaskThanIsKeptStaysRight) {
    // large texts, many of them and one too large to be kept as a mask at all: the oldest
    // masks go and come back, the largest is drawn from its runs
    auto scene = [](CDC& dc) {
        CFont font;
        SelectFace(dc, font, "宋体", -40);
        dc.SetBkMode(TRANSPARENT);
        for (int i = 0; i < 400; ++i) {
            dc.SetTextColor(RGB(255 - i % 200, i % 256, 90));
            dc.TextOut(i * 37 % 500 - 40, i * 13 % 520 - 10, "压力位 " + std::to_string(i * 7919));
        }
        dc.TextOut(-30, 200, std::string(60, 'W') + " 一条很长很长很长很长很长很长的文字");
    };
    std::string where;
    EXPECT_EQ(Differences(scene, &where), 0) << where;
}

TEST(DrawingShortcuts, TextFarOffOrAtTheImagesEdgesStaysRight) {
    // texts reaching past every edge of the image, and texts and rectangles far off it
    auto scene = [](CDC& dc) {
        dc.SetBkColor(RGB(0, 80, 160));
        dc.SetTextColor(RGB(230, 230, 200));
        for (int k = 0; k < 3; ++k) {
            dc.SetBkMode(k % 2 ? OPAQUE : TRANSPARENT);
            for (const char* text : {"0.618(42.22) 压力位", "MA5: 51.23"}) {
                dc.TextOut(-20, 100 + 20 * k, text);
                dc.TextOut(kW - 30, 200 + 20 * k, text);
                dc.TextOut(300, -6, text);
                dc.TextOut(200 + 90 * k, kH - 5, text);
                CRect edge(kW - 40, kH - 10, kW + 40, kH + 10);
                dc.DrawText(text, &edge, DT_SINGLELINE | DT_LEFT);
                dc.TextOut(1 << 30, 1 << 30, text);
                dc.TextOut(-(1 << 30), 50, text);
                CRect far(-(1 << 30), 10, 1 << 30, 40);
                dc.DrawText(text, &far, DT_SINGLELINE | DT_LEFT);
                CRect below(10, 1 << 29, 100, (1 << 29) + 20);
                dc.DrawText(text, &below, DT_SINGLELINE | DT_LEFT | DT_NOCLIP);
            }
        }
    };
    std::string where;
    EXPECT_EQ(Differences(scene, &where), 0) << where;
}

TEST(DrawingShortcuts, SelectingAFontFollowsWhatItWasMadeAs) {
    // a font object made again while selected, selected again: the new font, also after
    // a saved state brought an older one back
    ShortcutsOn restore;
    auto measure = [](int height, int weight) {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CFont font;
        SelectFace(dc, font, "Arial", height, weight);
        return dc.GetTextExtent("0.618(42.22) Wide");
    };
    const CSize small = measure(-11, 400), large = measure(-24, 400), bold = measure(-24, 700);
    ASSERT_NE(small, large);
    ASSERT_NE(large, bold);
    for (bool shortcuts : {false, true}) {
        SCOPED_TRACE(shortcuts);
        platform::SetDrawingShortcuts(shortcuts);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CFont font;
        LOGFONT lf;
        lf.lfHeight = -11;
        lf.lfFaceName = "Arial";
        font.CreateFontIndirect(&lf);
        dc.SelectObject(&font);
        EXPECT_EQ(dc.GetTextExtent("0.618(42.22) Wide"), small);
        font.DeleteObject();
        lf.lfHeight = -24;
        font.CreateFontIndirect(&lf);
        dc.SelectObject(&font);
        EXPECT_EQ(dc.GetTextExtent("0.618(42.22) Wide"), large);
        const int saved = dc.SaveDC();
        CFont other;
        lf.lfWeight = 700;
        other.CreateFontIndirect(&lf);
        dc.SelectObject(&other);
        EXPECT_EQ(dc.GetTextExtent("0.618(42.22) Wide"), bold);
        dc.RestoreDC(saved);
        EXPECT_EQ(dc.GetTextExtent("0.618(42.22) Wide"), large);
        dc.SelectObject(&other);
        EXPECT_EQ(dc.GetTextExtent("0.618(42.22) Wide"), bold);
    }
}

TEST(DrawingShortcuts, MeasuredTextAgreesWithAndWithout) {
    ShortcutsOn restore;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont font;
    SelectFace(dc, font, "宋体", -15);
    for (const char* text : kTexts) {
        SCOPED_TRACE(text);
        platform::SetDrawingShortcuts(false);
        const CSize plain = dc.GetTextExtent(text);
        CRect plainRc(0, 0, 60, 0);
        dc.DrawText(text, &plainRc, DT_CALCRECT | DT_WORDBREAK);
        platform::SetDrawingShortcuts(true);
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(dc.GetTextExtent(text), plain);
            CRect rc(0, 0, 60, 0);
            dc.DrawText(text, &rc, DT_CALCRECT | DT_WORDBREAK);
            EXPECT_EQ(rc, plainRc);
        }
    }
}

TEST(DrawingShortcuts, TextKeptForManyTextsStaysRightBeyondTheBound) {
    // more distinct texts than are kept: the oldest go and come back laid out anew
    auto scene = [](CDC& dc) {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(255, 255, 255));
        for (int i = 0; i < 700; ++i) dc.TextOut(i * 37 % 300, i * 13 % 190, std::to_string(i * 7919));
    };
    std::string where;
    EXPECT_EQ(Differences(scene, &where), 0) << where;
}

// Segments every way: along rows and columns both ways, diagonals of many slopes, points,
// lines reaching out of the image and out of the clip.
std::vector<POINT> Segments() {
    std::vector<POINT> ends;
    auto add = [&](int xa, int ya, int xb, int yb) {
        ends.push_back(POINT{xa, ya});
        ends.push_back(POINT{xb, yb});
    };
    for (int k = 0; k < 6; ++k) {
        add(10 + k, 10 + 5 * k, 200 - 7 * k, 10 + 5 * k);   // rightwards
        add(300 - k, 40 + 5 * k, 120 + 3 * k, 40 + 5 * k);  // leftwards
        add(10 + 6 * k, 80, 10 + 6 * k, 190 - 9 * k);       // downwards
        add(60 + 6 * k, 190, 60 + 6 * k, 90 + 4 * k);       // upwards
    }
    for (int k = 0; k < 24; ++k) {
        const int dx = (k % 7 - 3) * 23 + 1, dy = (k % 5 - 2) * 31 + (k % 2);
        add(160, 110, 160 + dx, 110 + dy);
        add(160 + dx, 110 - dy, 160, 110);
    }
    // many slopes at random, short and long (past 512 pixels the steps are divided in
    // 64 bits), some at exactly 45 degrees
    unsigned seed = 12345;
    auto next = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % unsigned(n));
    };
    for (int k = 0; k < 400; ++k) {
        const int xa = next(kW), ya = next(kH);
        const int len = k % 4 == 0 ? 600 : 40;
        int xb = xa + next(2 * len + 1) - len, yb = ya + next(2 * len + 1) - len;
        if (k % 17 == 0) yb = ya + (xb - xa);
        add(xa, ya, xb, yb);
    }
    // from beyond each side of the image inwards, and back out (cut where they start)
    const POINT beyond[] = {{-60, 120}, {kW + 45, 300}, {250, -75}, {420, kH + 33}, {-20, -35}};
    const POINT within[] = {{200, 150}, {480, 260}, {90, 400}, {610, 90}};
    for (const POINT& o : beyond)
        for (const POINT& in : within) {
            add(o.x, o.y, in.x, in.y);
            add(in.x + 3, in.y + 5, o.x, o.y);
        }
    // far beyond the image
    add(-100000, 200, 100000, 260);
    add(320, 100000, 300, -100000);
    add(-50000, -50000, 60000, 70000);
    add(-100000, 300, 100000, 300);
    add(100000, 310, -100000, 310);
    add(50, 50, 50, 50);                                        // a point: nothing
    add(-40, 150, 400, 150);                                    // across and beyond
    add(250, -30, 250, 260);
    add(-100, -60, 500, 300);
    add(330, 20, 500, 20);                                      // wholly outside
    add(5, 199, 5, 240);
    return ends;
}

TEST(DrawingShortcuts, SegmentsLookAsLinesDrawnOneByOne) {
    struct PenCase {
        const char* name;
        int style, width, rop, bkMode;
    };
    const PenCase pens[] = {
        {"solid", PS_SOLID, 1, R2_COPYPEN, TRANSPARENT},
        {"solid opaque", PS_SOLID, 0, R2_COPYPEN, OPAQUE},
        {"dotted", PS_DOT, 1, R2_COPYPEN, TRANSPARENT},
        {"dotted opaque", PS_DOT, 1, R2_COPYPEN, OPAQUE},
        {"dashed", PS_DASH, 1, R2_COPYPEN, TRANSPARENT},
        {"dash-dot", PS_DASHDOT, 1, R2_COPYPEN, TRANSPARENT},
        {"dash-dot-dot", PS_DASHDOTDOT, 1, R2_COPYPEN, TRANSPARENT},
        {"dashed opaque", PS_DASH, 1, R2_COPYPEN, OPAQUE},
        {"wide", PS_SOLID, 3, R2_COPYPEN, TRANSPARENT},
        {"xor", PS_SOLID, 1, R2_XORPEN, TRANSPARENT},
        {"not xor dotted", PS_DOT, 1, R2_NOTXORPEN, TRANSPARENT},
        {"black", PS_SOLID, 1, R2_BLACK, TRANSPARENT},
        {"null", PS_NULL, 1, R2_COPYPEN, TRANSPARENT},
    };
    const std::vector<POINT> ends = Segments();
    for (const PenCase& pc : pens)
        for (int clipped = 0; clipped < 3; ++clipped) {
            SCOPED_TRACE(std::string(pc.name) + (clipped == 1 ? " clipped" : clipped ? " holed" : ""));
            auto scene = [&](CDC& dc) {
                CPen pen(pc.style, pc.width, RGB(240, 200, 30));
                dc.SelectObject(&pen);
                dc.SetROP2(pc.rop);
                dc.SetBkMode(pc.bkMode);
                dc.SetBkColor(RGB(0, 90, 200));
                if (clipped) {
                    dc.SetViewportOrg(7, 3);
                    dc.IntersectClipRect(30, 20, 600, 470);
                }
                if (clipped == 2) dc.ExcludeClipRect(100, 60, 180, 300);  // a clip of many rectangles
                dc.MoveTo(1, 2);
                dc.DrawSegments(ends.data(), int(ends.size() / 2));
                // the current position is where it was
                dc.LineTo(100, 2);
            };
            std::string where;
            EXPECT_EQ(Differences(scene, &where), 0) << where;
        }
}

// What the writer of lines keeps from one call to the next (the image, the origin, the clip)
// follows every change of them.
TEST(DrawingShortcuts, SegmentsFollowTheClipOriginAndImageFromCallToCall) {
    const std::vector<POINT> all = Segments();
    const std::vector<POINT> ends(all.begin(), all.begin() + 200);
    for (int style : {PS_SOLID, PS_DOT, PS_DASHDOT}) {
        SCOPED_TRACE(style);
        auto scene = [&](CDC& dc) {
            dc.SetBkMode(TRANSPARENT);
            // each time in a colour of its own, over what the times before drew
            std::vector<std::unique_ptr<CPen>> pens;
            auto draw = [&] {
                const int k = int(pens.size());
                pens.push_back(
                    std::make_unique<CPen>(style, 1, RGB(40 + 13 * k, 250 - 11 * k, 90 + 7 * k)));
                dc.SelectObject(pens.back().get());
                dc.DrawSegments(ends.data(), int(ends.size() / 2));
            };
            draw();
            dc.IntersectClipRect(40, 30, 500, 400);
            draw();
            const int saved = dc.SaveDC();
            dc.ExcludeClipRect(100, 60, 180, 300);
            dc.SetViewportOrg(11, -7);
            draw();
            dc.RestoreDC(saved);
            draw();
            CRgn again;  // the clip it has, made anew
            again.CreateRectRgn(40, 30, 500, 400);
            dc.SelectClipRgn(&again);
            draw();
            dc.IntersectClipRect(200, 100, 420, 300);
            draw();
            dc.OffsetViewportOrg(-13, 6);
            draw();
            CRgn rgn;
            rgn.CreateRectRgn(300, 200, 650, 520);
            dc.SelectClipRgn(&rgn);
            draw();
            // other images, one of the same size and one smaller, then back
            CBitmap* own = dc.GetCurrentBitmap();
            void* bits = nullptr;
            CBitmap same, small;
            same.CreateDIBSection(kW, kH, &bits);
            small.CreateDIBSection(150, 120, &bits);
            for (CBitmap* other : {&same, &small}) {
                dc.SelectObject(other);
                draw();
                dc.SelectObject(own);
                draw();
            }
            dc.SelectClipRgn(nullptr);
            dc.SetViewportOrg(-5, 9);
            draw();
        };
        std::string where;
        EXPECT_EQ(Differences(scene, &where), 0) << where;
    }
}

TEST(DrawingShortcuts, SegmentsDrawWhatMoveToAndLineToDraw) {
    const std::vector<POINT> ends = Segments();
    for (int style : {PS_SOLID, PS_DOT}) {
        SCOPED_TRACE(style);
        Dib lines, segments;
        CPen pen(style, 1, RGB(10, 250, 120));
        for (CDC* dc : {&lines.dc, &segments.dc}) dc->SelectObject(&pen);
        for (size_t i = 0; i + 1 < ends.size(); i += 2) {
            lines.dc.MoveTo(ends[i].x, ends[i].y);
            lines.dc.LineTo(ends[i + 1].x, ends[i + 1].y);
        }
        segments.dc.DrawSegments(ends.data(), int(ends.size() / 2));
        EXPECT_EQ(std::memcmp(lines.bits, segments.bits, size_t(kW) * kH * 4), 0);
        EXPECT_FALSE(segments.dc.DrawSegments(nullptr, 1));
        EXPECT_TRUE(segments.dc.DrawSegments(ends.data(), 0));
    }
}

// Arcs drawn again from what was kept of them: boxes of many sizes (odd and even, of one
// pixel and of none, inside out), angles every way round, each drawn at several places
// (the same arc again and again), over stripes of colour, touching the image's edges,
// reaching out of it and far off it, clipped by one rectangle and by several, on images of
// both kinds and on a second, smaller image.
TEST(DrawingShortcuts, ArcsLookAsTheToolkitDrawsThem) {
    struct PenCase {
        const char* name;
        int style, width, rop, bkMode;
    };
    const PenCase pens[] = {
        {"solid", PS_SOLID, 1, R2_COPYPEN, TRANSPARENT},
        {"solid opaque", PS_SOLID, 0, R2_COPYPEN, OPAQUE},
        {"dotted", PS_DOT, 1, R2_COPYPEN, TRANSPARENT},
        {"dotted opaque", PS_DOT, 1, R2_COPYPEN, OPAQUE},
        {"dashed opaque", PS_DASH, 1, R2_COPYPEN, OPAQUE},
        {"dash-dot", PS_DASHDOT, 1, R2_COPYPEN, TRANSPARENT},
        {"dash-dot-dot opaque", PS_DASHDOTDOT, 1, R2_COPYPEN, OPAQUE},
        {"wide", PS_SOLID, 3, R2_COPYPEN, TRANSPARENT},
        {"xor", PS_SOLID, 1, R2_XORPEN, TRANSPARENT},
    };
    struct Box {
        int w, h;
    };
    const Box boxes[] = {{0, 0},    {1, 1},     {1, 7},    {2, 2},   {3, 3},   {4, 9},
                         {5, 5},    {8, 8},     {9, 6},    {16, 17}, {33, 20}, {64, 64},
                         {101, 57}, {250, 180}, {-12, 20}, {15, -9}};
    // the rays' directions from the box's middle: the whole ellipse (one ray twice), quarters
    // and halves both ways round, and slants
    struct Rays {
        int x3, y3, x4, y4;
    };
    const Rays rays[] = {{1, 0, 1, 0},  {1, 0, 0, -1}, {0, -1, 1, 0},   {-1, 0, 1, 0},
                         {1, 0, -1, 0}, {0, 1, 0, -1}, {3, -1, -2, -5}, {-4, 1, 5, 3}};
    for (int target : {0, 2})
        for (const PenCase& pc : pens)
            for (int clipped = 0; clipped < 3; ++clipped) {
                SCOPED_TRACE(std::string(kTargetNames[target]) + " " + pc.name +
                             (clipped == 1 ? " clipped"
                              : clipped    ? " holed"
                                           : ""));
                auto scene = [&](CDC& dc) {
                    Stripes(dc);
                    CPen pen(pc.style, pc.width, RGB(240, 200, 30));
                    dc.SelectObject(&pen);
                    dc.SetROP2(pc.rop);
                    dc.SetBkMode(pc.bkMode);
                    dc.SetBkColor(RGB(0, 90, 200));
                    if (clipped) {
                        dc.SetViewportOrg(7, 3);
                        dc.IntersectClipRect(30, 20, 600, 470);
                    }
                    if (clipped == 2) dc.ExcludeClipRect(100, 60, 180, 300);
                    dc.MoveTo(1, 2);
                    auto arc = [&](int x, int y, const Box& b, const Rays& ry) {
                        const int cx = x + b.w / 2, cy = y + b.h / 2;
                        dc.Arc(x, y, x + b.w, y + b.h, cx + 50 * ry.x3, cy + 50 * ry.y3,
                               cx + 50 * ry.x4, cy + 50 * ry.y4);
                    };
                    int k = 0;
                    for (const Box& b : boxes)
                        for (const Rays& ry : rays) {
                            ++k;
                            const int w = std::abs(b.w), h = std::abs(b.h);
                            // within the image, at four places
                            for (int m : {97, 131, 53, 211})
                                arc(10 + k * m % (kW - w - 20), 5 + k * (m + 6) % (kH - h - 10), b,
                                    ry);
                            // its extent at the image's edges, then past them
                            const int ex = b.w < 0 ? -b.w - 1 : 0, ey = b.h < 0 ? -b.h - 1 : 0;
                            const int y = k * 29 % (kH - h), x = k * 43 % (kW - w);
                            arc(ex, y, b, ry);
                            arc(kW - w + ex, y, b, ry);
                            arc(x, ey, b, ry);
                            arc(x, kH - h + ey, b, ry);
                            // (twice each: a stamp holds for one such place only)
                            for (int twice = 0; twice < 2; ++twice) {
                                arc(-w / 2 - 1, y, b, ry);
                                arc(kW - w / 2, y, b, ry);
                                arc(x, -h / 2 - 1, b, ry);
                                arc(x, kH - h / 2, b, ry);
                                arc(-w / 3 - 1, kH - 2 * h / 3, b, ry);
                                arc(-w / 2 - 1, y, b, ry);
                            }
                            // wholly outside and far off
                            arc(-w - 40, y, b, ry);
                            arc(1 << 30, y, b, ry);
                            arc(-(1 << 30), y, b, ry);
                            arc(x, 1 << 29, b, ry);
                        }
                    // boxes wider and taller than the image
                    for (const Rays& ry : rays)
                        for (int twice = 0; twice < 2; ++twice) {
                            arc(-60, 100, Box{kW + 150, 300}, ry);
                            arc(200, -40, Box{250, kH + 90}, ry);
                            arc(-30, -20, Box{kW + 61, kH + 47}, ry);
                        }
                    // the current position is where it was
                    dc.LineTo(100, 2);
                    // a smaller image, then back
                    CBitmap* own = dc.GetCurrentBitmap();
                    void* bits = nullptr;
                    CBitmap small;
                    small.CreateDIBSection(150, 120, &bits);
                    for (CBitmap* image : {&small, own}) {
                        dc.SelectObject(image);
                        for (int i = 0; i < 12; ++i) arc(i * 11, i * 7, boxes[i % 14], rays[i % 8]);
                    }
                    dc.SelectClipRgn(nullptr);
                    dc.SetViewportOrg(0, 0);
                };
                std::string where;
                EXPECT_EQ(Differences(scene, &where, Target(target)), 0) << where;
            }
}

TEST(DrawingShortcuts, ArcsOfMoreStampsThanAreKeptStayRight) {
    // more arcs of distinct boxes, and more of their pixels, than are kept: the oldest go
    // and are made again; each is drawn three times, with two pens in two modes
    auto scene = [](CDC& dc) {
        CPen solid(PS_SOLID, 1, RGB(250, 250, 250)), dotted(PS_DOT, 1, RGB(240, 40, 90));
        dc.SetBkColor(RGB(0, 90, 200));
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < 700; ++i) {
                // every other one a whole ellipse of a large box
                const bool whole = i % 2 == 0;
                const int w = whole ? 500 + i % 190 : 20 + i % 660;
                const int h = whole ? 400 + i * 7 % 150 : 10 + i * 7 % 530;
                dc.SelectObject(i % 3 ? &solid : &dotted);
                dc.SetBkMode(i % 4 < 2 ? OPAQUE : TRANSPARENT);
                for (int k = 0; k < 3; ++k) {
                    const int x = (i * 13 + k * 5) % (kW - w), y = (i * 7 + k * 3) % (kH - h);
                    if (whole)
                        dc.Arc(x, y, x + w, y + h, x, y, x, y);
                    else
                        dc.Arc(x, y, x + w, y + h, x + w, y + i % h, x + i % w, y);
                }
            }
    };
    std::string where;
    EXPECT_EQ(Differences(scene, &where), 0) << where;
}

}  // namespace
