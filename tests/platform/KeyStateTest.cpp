// The key state as handlers see it: every key's down bit, the toggle bits, the mouse
// buttons, the asynchronous "pressed since" bit; and the wheel following the capture.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/App.h"
#include "platform/Input.h"
#include "platform/Wnd.h"

namespace {

// Records GetKeyState of the key (or button) a message is about, as its handler sees it.
class StateProbe : public CWnd {
public:
    std::map<UINT, short> atKeyDown, atKeyUp;
    short lbuttonAtDown = 0, lbuttonAtUp = 0, shiftAtKey = 0;
    int wheels = 0;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                atKeyDown[(UINT)wp] = GetKeyState((int)wp);
                shiftAtKey = GetKeyState(VK_SHIFT);
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                atKeyUp[(UINT)wp] = GetKeyState((int)wp);
                break;
            case WM_LBUTTONDOWN:
                lbuttonAtDown = GetKeyState(VK_LBUTTON);
                break;
            case WM_LBUTTONUP:
                lbuttonAtUp = GetKeyState(VK_LBUTTON);
                break;
            case WM_MOUSEWHEEL:
                ++wheels;
                return TRUE;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

struct KeyState : ::testing::Test {
    StateProbe w;
    void SetUp() override {
        ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100),
                               nullptr, 0));
        w.SetFocus();
        platform::ProcessPendingEvents();
    }
};

TEST_F(KeyState, EveryKeyIsDownWhileItsPressIsHandledAndUpAfter) {
    const std::vector<UINT> keys = {'A', 'Z', '0', '9', VK_F1, VK_F12, VK_SPACE, VK_RETURN,
                                    VK_ESCAPE, VK_TAB, VK_BACK, VK_DELETE, VK_INSERT, VK_HOME,
                                    VK_END, VK_PRIOR, VK_NEXT, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN,
                                    VK_OEM_4, VK_OEM_6, VK_OEM_5, VK_OEM_7, VK_OEM_1, VK_PAUSE};
    for (UINT vk : keys) {
        SCOPED_TRACE(vk);
        platform::InjectKey(vk);
        ASSERT_TRUE(w.atKeyDown.count(vk));
        EXPECT_TRUE(w.atKeyDown[vk] & 0x8000);
        ASSERT_TRUE(w.atKeyUp.count(vk));
        EXPECT_FALSE(w.atKeyUp[vk] & 0x8000);
        EXPECT_FALSE(GetKeyState((int)vk) & 0x8000);
    }
    platform::InjectKey('A', "A", MK_SHIFT);
    EXPECT_TRUE(w.shiftAtKey & 0x8000);
    // the modifier's own key, with its side
    platform::InjectKey(VK_SHIFT);
    EXPECT_TRUE(w.atKeyDown[VK_SHIFT] & 0x8000);
    EXPECT_FALSE(w.atKeyUp[VK_SHIFT] & 0x8000);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(GetKeyState(VK_LSHIFT) & 0x8000);
}

TEST_F(KeyState, LockKeysToggleWithEachPress) {
    for (UINT vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) {
        SCOPED_TRACE(vk);
        const short before = GetKeyState((int)vk) & 1;
        platform::InjectKey(vk);
        EXPECT_EQ(GetKeyState((int)vk) & 1, before ^ 1);
        platform::InjectKey(vk);
        EXPECT_EQ(GetKeyState((int)vk) & 1, before);
        // a held key repeating does not toggle it
        platform::InjectKey(vk);
        platform::InjectKey(vk, "", 0, true);
        EXPECT_EQ(GetKeyState((int)vk) & 1, before ^ 1);
        platform::InjectKey(vk);
    }
}

TEST_F(KeyState, MouseButtonsAndTheAsynchronousPressedBit) {
    GetAsyncKeyState(VK_LBUTTON);  // forget earlier presses
    platform::InjectMouse(&w, WM_LBUTTONDOWN, 5, 5);
    EXPECT_TRUE(w.lbuttonAtDown & 0x8000);
    EXPECT_TRUE(GetKeyState(VK_LBUTTON) & 0x8000);
    platform::InjectMouse(&w, WM_LBUTTONUP, 5, 5);
    EXPECT_FALSE(w.lbuttonAtUp & 0x8000);
    const short first = GetAsyncKeyState(VK_LBUTTON);
    EXPECT_FALSE(first & 0x8000);
    EXPECT_TRUE(first & 1);  // pressed since the last asynchronous look
    EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 1);

    GetAsyncKeyState('Q');
    platform::InjectKey('Q');
    EXPECT_EQ(GetAsyncKeyState('Q'), 1);
    EXPECT_EQ(GetAsyncKeyState('Q'), 0);
}

TEST_F(KeyState, TheWheelFollowsTheCapture) {
    StateProbe other;
    ASSERT_TRUE(other.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(200, 0, 300, 100),
                               nullptr, 0));
    platform::InjectMouse(&other, WM_MOUSEWHEEL, 5, 5, 0, 120);
    EXPECT_EQ(other.wheels, 1);
    w.SetCapture();
    platform::InjectMouse(&other, WM_MOUSEWHEEL, 5, 5, 0, -120);
    EXPECT_EQ(other.wheels, 1);
    EXPECT_EQ(w.wheels, 1);
    ReleaseCapture();
    platform::InjectMouse(&other, WM_MOUSEWHEEL, 5, 5, 0, 120);
    EXPECT_EQ(other.wheels, 2);
    EXPECT_EQ(w.wheels, 1);
}
}  // namespace
