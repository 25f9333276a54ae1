// The animated image control: frames and delays from a GIF, the frame timer, a still image
// that never plays, hiding back to the first frame, and damaged data refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "WinlessHost.h"
#include "windowless/GifAnim.h"

using namespace WinlessUI;
using wltest::Host;
using wltest::Surface;

namespace {

// Two 2x2 frames: red with a stored delay of 0, blue with 20 hundredths.
const unsigned char kTwoFrames[] = {0x47,0x49,0x46,0x38,0x39,0x61,0x02,0x00,0x02,0x00,0x80,0x00,0x00,0xFF,0x00,0x00,0x00,0x00,0xFF,0x21,0xF9,0x04,0x00,0x00,0x00,0x00,0x00,0x2C,0x00,0x00,0x00,0x00,0x02,0x00,0x02,0x00,0x00,0x02,0x03,0x04,0x08,0x14,0x00,0x21,0xF9,0x04,0x00,0x14,0x00,0x00,0x00,0x2C,0x00,0x00,0x00,0x00,0x02,0x00,0x02,0x00,0x00,0x02,0x03,0x4C,0x98,0x14,0x00,0x3B};
// A green 2x2 bitmap.
const unsigned char kStillBmp[] = {0x42,0x4D,0x46,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x36,0x00,0x00,0x00,0x28,0x00,0x00,0x00,0x02,0x00,0x00,0x00,0x02,0x00,0x00,0x00,0x01,0x00,0x18,0x00,0x00,0x00,0x00,0x00,0x10,0x00,0x00,0x00,0x13,0x0B,0x00,0x00,0x13,0x0B,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0xFF,0x00,0x00,0xFF,0x00,0x00,0x00,0x00,0xFF,0x00,0x00,0xFF,0x00,0x00,0x00};

std::string WriteTemp(const char* name, const unsigned char* data, size_t size) {
    std::string path = std::string(::testing::TempDir()) + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return path;
}

void Tick(CGifAnimUI* gif) {
    UIEvent e;
    e.Type = UIEVENT_TIMER;
    e.wParam = CGifAnimUI::kFrameTimerId;
    gif->HandleEvent(e);
}

}  // namespace

TEST(GifAnim, DecodesFramesAndDelays) {
    DecodedFrames frames;
    ASSERT_TRUE(DecodeAnimation(kTwoFrames, sizeof kTwoFrames, &frames));
    EXPECT_EQ(frames.width, 2);
    ASSERT_EQ(frames.frames.size(), 2u);
    EXPECT_EQ(frames.frames[0][0], 0xFFFF0000u);
    EXPECT_EQ(frames.frames[1][3], 0xFF0000FFu);
    ASSERT_EQ(frames.delaysMs.size(), 2u);
    EXPECT_EQ(frames.delaysMs[1], 200);

    ASSERT_TRUE(DecodeAnimation(kStillBmp, sizeof kStillBmp, &frames));
    EXPECT_EQ(frames.frames.size(), 1u);
    EXPECT_TRUE(frames.delaysMs.empty());

    // Cut anywhere, the data is refused or decoded within bounds, never read past.
    for (size_t n = 0; n < sizeof kTwoFrames; ++n) {
        std::string cut(reinterpret_cast<const char*>(kTwoFrames), n);
        DecodedFrames out;
        if (DecodeAnimation(reinterpret_cast<const unsigned char*>(cut.data()), cut.size(), &out))
            EXPECT_LE(out.frames.size(), 2u);
    }
}

TEST(GifAnim, TimerStepsFramesWithTheirDelays) {
    Host h(100, 100);
    std::string path = WriteTemp("two_frames.gif", kTwoFrames, sizeof kTwoFrames);
    std::string xml = "<Window><GifAnim name=\"g\" bkimage=\"" + path + "\" autosize=\"true\"/></Window>";
    auto* gif = static_cast<CGifAnimUI*>(h.Load(xml.c_str()));
    ASSERT_NE(gif, nullptr);
    ASSERT_TRUE(gif->IsLoaded());
    EXPECT_EQ(gif->GetFixedWidth(), 2) << "autosize takes the image's size";
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_EQ(gif->FrameDelay(0), 100u) << "a stored 0 stays 100 ms";
    EXPECT_EQ(gif->FrameDelay(1), 200u);
    EXPECT_GE(h.pm.GetNativeTimerId(gif, CGifAnimUI::kFrameTimerId), 0);

    gif->SetPos(RECT{0, 0, 20, 20});
    Surface s(20, 20);
    s.Paint(gif);
    EXPECT_EQ(s.dc.GetPixel(10, 10), RGB(255, 0, 0));
    Tick(gif);
    EXPECT_EQ(gif->GetCurrentFrame(), 1u);
    s.Paint(gif);
    EXPECT_EQ(s.dc.GetPixel(10, 10), RGB(0, 0, 255)) << "stretched over the control";
    Tick(gif);
    EXPECT_EQ(gif->GetCurrentFrame(), 0u) << "wraps round";

    // Clicks change nothing.
    Tick(gif);
    h.Click(1, 1);
    EXPECT_EQ(gif->GetCurrentFrame(), 1u);
    // Hiding goes back to the first frame and stops.
    gif->SetVisible(false);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(gif->GetCurrentFrame(), 0u);
    gif->SetVisible(true);
    EXPECT_TRUE(gif->IsPlaying());
    // The same name again neither stops nor reloads.
    gif->SetBkImage(path.c_str());
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_TRUE(gif->IsLoaded());
    std::remove(path.c_str());
}

TEST(GifAnim, StillImageIsShownWithoutATimer) {
    Host h(100, 100);
    std::string path = WriteTemp("still.bmp", kStillBmp, sizeof kStillBmp);
    std::string xml = "<Window><GifAnim name=\"g\" bkimage=\"" + path + "\"/></Window>";
    auto* gif = static_cast<CGifAnimUI*>(h.Load(xml.c_str()));
    ASSERT_NE(gif, nullptr);
    ASSERT_TRUE(gif->IsLoaded());
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(h.pm.GetNativeTimerId(gif, CGifAnimUI::kFrameTimerId), -1);
    gif->SetPos(RECT{0, 0, 10, 10});
    Surface s(10, 10);
    s.Paint(gif);
    EXPECT_EQ(s.dc.GetPixel(5, 5), RGB(0, 255, 0));
    std::remove(path.c_str());

    CGifAnimUI missing;
    missing.SetBkImage("no/such/file.gif");
    missing.SetPos(RECT{0, 0, 10, 10});
    s.Paint(&missing);
    EXPECT_FALSE(missing.IsLoaded());
}
