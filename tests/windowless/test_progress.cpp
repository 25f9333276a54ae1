// Progress bars and sliders: the drawn part of the bar, the value a point stands for, and
// the notifications of pressing, dragging and the wheel.
#include <gtest/gtest.h>

#include <string>

#include "WinlessHost.h"
#include "ZipFixture.h"
#include "windowless/Progress.h"

using namespace WinlessUI;
using wltest::Host;
using wltest::Surface;

TEST(Progress, BarRectangleAndRangeRules) {
    struct Case {
        const char* what;
        const char* attrs;
        RECT pos;
        int max;
        int value;
        RECT bar;
    } cases[] = {
        {"horizontal half", "value=\"50\"", {0, 0, 200, 20}, 100, 50, {0, 0, 100, 20}},
        {"vertical quarter", "hor=\"false\" value=\"25\"", {0, 0, 30, 80}, 100, 25, {0, 60, 30, 80}},
        {"an empty range becomes one step", "min=\"0\" max=\"0\"", {0, 0, 200, 20}, 1, 0, {0, 0, 0, 20}},
        {"a value above the maximum is dropped", "value=\"150\"", {0, 0, 200, 20}, 100, 0, {0, 0, 0, 20}},
        {"a value below the minimum is dropped", "min=\"10\" value=\"5\"", {0, 0, 200, 20}, 100, 0, {0, 0, 0, 20}},
        {"no overflow on wide ranges", "max=\"2000000000\" value=\"1500000000\"", {0, 0, 400, 20}, 2000000000,
         1500000000, {0, 0, 300, 20}},
    };
    for (const Case& c : cases) {
        CProgressUI p;
        p.ApplyAttributeText(c.attrs);
        p.SetPos(c.pos);
        p.PaintStateImage(nullptr);  // no fore image: only the range is brought in order
        EXPECT_EQ(p.GetMaxValue(), c.max) << c.what;
        RECT bar = p.GetBarRect();
        EXPECT_EQ(bar.left, c.bar.left) << c.what;
        EXPECT_EQ(bar.top, c.bar.top) << c.what;
        EXPECT_EQ(bar.right, c.bar.right) << c.what;
        EXPECT_EQ(bar.bottom, c.bar.bottom) << c.what;
    }
    // A large control's modifier runs past 63 characters and is kept whole.
    CProgressUI big;
    big.SetForeImage("bar.png");
    big.SetStretchForeImage(false);
    big.SetHorizontal(false);
    big.SetMaxValue(2);
    big.SetValue(1);
    big.SetPos(RECT{0, 0, 1000000000, 1000000000});
    big.PaintStateImage(nullptr);
    EXPECT_EQ(big.GetLastModifier(),
              "dest='0,500000000,1000000000,1000000000' source='0,500000000,1000000000,1000000000'");

    CProgressUI fresh;
    EXPECT_EQ(fresh.GetFixedHeight(), 12);
    EXPECT_EQ(fresh.GetTextStyle(), (UINT)(DT_CENTER | DT_SINGLELINE));
}

namespace {

std::string Solid(int w, int h, uint32_t argb) { return ziptest::Png(w, h, std::vector<uint32_t>(size_t(w) * h, argb)); }

}  // namespace

TEST(Progress, ForeImageFillsOnlyTheValuesPart) {
    CUIPaintManager::ResetSharedArchiveForTests();
    // A 200-wide image, left half blue and right half red: a cut (not squeezed) bar shows the
    // image's own left part; a squeezed one shows both halves inside the bar.
    std::vector<uint32_t> px(200 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x) px[size_t(y) * 200 + x] = x < 100 ? 0xFF0000FF : 0xFFFF0000;
    static std::string zip =
        ziptest::Build({{"bar.png", ziptest::Png(200, 20, px)}, {"thumb.png", Solid(10, 10, 0xFF00FF00)}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    Host host(200, 60);
    CControlUI* root = host.Load(
        "<Window><VerticalLayout><Progress name=\"cut\" height=\"20\" foreimage=\"bar.png\" isstretchfore=\"false\" "
        "value=\"75\"/><Progress name=\"squeezed\" height=\"20\" foreimage=\"bar.png\" value=\"50\"/>"
        "<Slider name=\"s\" height=\"20\" thumbimage=\"thumb.png\" value=\"100\"/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    Surface canvas(200, 60);
    canvas.Paint(root);
    EXPECT_EQ(canvas.dc.GetPixel(10, 10), RGB(0, 0, 255));
    EXPECT_EQ(canvas.dc.GetPixel(140, 10), RGB(255, 0, 0));   // the image's own pixels at 140
    EXPECT_EQ(canvas.dc.GetPixel(160, 10), RGB(255, 255, 255));  // beyond 75 %
    EXPECT_EQ(canvas.dc.GetPixel(10, 30), RGB(0, 0, 255));
    EXPECT_EQ(canvas.dc.GetPixel(60, 30), RGB(255, 0, 0));  // the right half squeezed into 50..100
    EXPECT_EQ(canvas.dc.GetPixel(120, 30), RGB(255, 255, 255));
    EXPECT_EQ(canvas.dc.GetPixel(195, 50), RGB(0, 255, 0));  // the thumb at the maximum, on the right
    EXPECT_EQ(canvas.dc.GetPixel(5, 50), RGB(255, 255, 255));
    // The full modifier with both rectangles is longer than the old 63-character cut.
    const std::string& mod = static_cast<CProgressUI*>(host.Find("cut"))->GetLastModifier();
    EXPECT_EQ(mod, "dest='0,0,150,20' source='0,0,150,20'");
    CUIPaintManager::ResetSharedArchiveForTests();
}

TEST(Slider, ValueFromPointAndThumb) {
    struct Case {
        bool horizontal;
        POINT pt;
        int value;
    } cases[] = {
        {true, {0, 5}, 0},     {true, {5, 5}, 0},      {true, {6, 5}, 1},     {true, {55, 5}, 50},
        {true, {105, 5}, 100}, {true, {200, 5}, 100},  {false, {5, 105}, 0},  {false, {5, 55}, 50},
        {false, {5, 5}, 100},  {false, {5, 0}, 100},   {false, {5, 94}, 11},
    };
    for (const Case& c : cases) {
        CSliderUI s;
        s.SetHorizontal(c.horizontal);
        s.SetPos(c.horizontal ? RECT{0, 0, 110, 10} : RECT{0, 0, 10, 110});
        EXPECT_EQ(s.ValueFromPoint(c.pt), c.value) << c.horizontal << " " << c.pt.x << "," << c.pt.y;
    }
    // An empty range (before a paint brings it in order) and a slider narrower than its
    // thumb: no division by zero.
    CSliderUI empty;
    empty.SetMaxValue(0);
    empty.SetPos(RECT{0, 0, 8, 8});
    EXPECT_EQ(empty.GetThumbRect().left, 0);
    EXPECT_EQ(empty.ValueFromPoint(POINT{4, 4}), 0);
    empty.SetHorizontal(false);
    EXPECT_EQ(empty.GetThumbRect().bottom, 8);
    EXPECT_EQ(empty.ValueFromPoint(POINT{4, 4}), 0);

    CSliderUI s;
    s.SetPos(RECT{10, 0, 120, 20});
    s.SetValue(50);
    RECT t = s.GetThumbRect();
    EXPECT_EQ(t.left, 60);
    EXPECT_EQ(t.top, 5);
    EXPECT_EQ(t.right, 70);
    s.SetHorizontal(false);
    s.SetPos(RECT{0, 10, 20, 120});
    t = s.GetThumbRect();
    EXPECT_EQ(t.bottom, 70);
    EXPECT_EQ(t.left, 5);
}

TEST(Slider, PressDragReleaseAndWheelNotify) {
    Host host(110, 10);
    auto* s = static_cast<CSliderUI*>(host.Load("<Window><Slider name=\"s\" height=\"10\" step=\"5\"/></Window>"));
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->GetWidth(), 110);
    // Dragging without "sendmove": one notification, at the release.
    host.Send(WM_MOUSEMOVE, 0, 30, 5);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, 30, 5);
    EXPECT_EQ(s->GetValue(), 25);
    s->SetValue(90);  // refused while the thumb is held
    EXPECT_EQ(s->GetValue(), 25);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 45, 5);
    EXPECT_EQ(s->GetValue(), 40);
    host.Send(WM_LBUTTONUP, 0, 55, 5);
    EXPECT_EQ(s->GetValue(), 50);
    EXPECT_EQ(host.recorder.Count("valuechanged:s"), 1);
    EXPECT_EQ(host.recorder.Count("movevaluechanged:s"), 0);

    s->SetCanSendMove(true);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, 30, 5);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 35, 5);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 40, 5);
    host.Send(WM_LBUTTONUP, 0, 40, 5);
    EXPECT_EQ(host.recorder.Count("movevaluechanged:s"), 2);
    EXPECT_EQ(host.recorder.Count("valuechanged:s"), 2);

    // The wheel steps; at the maximum it still notifies and keeps the value.
    UIEvent wheel;
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = SB_LINEUP;
    s->HandleEvent(wheel);
    EXPECT_EQ(s->GetValue(), 40);
    s->SetValue(100);
    s->HandleEvent(wheel);
    EXPECT_EQ(s->GetValue(), 100);
    EXPECT_EQ(host.recorder.Count("valuechanged:s"), 4);
    wheel.wParam = SB_LINEDOWN;
    s->HandleEvent(wheel);
    EXPECT_EQ(s->GetValue(), 95);

    // A disabled slider ignores the press.
    s->SetEnabled(false);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 5);
    EXPECT_EQ(s->GetValue(), 95);
    EXPECT_EQ(s->GetButtonState(), 0u);
    EXPECT_EQ(s->GetBehaviourFlags(), 0u);
}
