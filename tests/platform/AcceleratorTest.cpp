// Accelerator tables turn keys into commands before the key reaches the window.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Accelerator.h"
#include "platform/App.h"
#include "platform/Input.h"
#include "platform/Wnd.h"

namespace {

struct AccelWnd : CWnd {
    HACCEL table = nullptr;
    std::vector<UINT> commands;
    std::vector<WPARAM> keys;  // key downs that reached the window
    BOOL PreTranslateMessage(MSG* msg) override {
        return table && TranslateAccelerator(m_hWnd, table, msg);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(wParam));
        EXPECT_EQ(HIWORD(wParam), 1);
        return TRUE;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_KEYDOWN) keys.push_back(wParam);
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

constexpr UINT kAlt = 0x20;

TEST(Accelerators, KeysWithTheirModifiersBecomeCommandsBeforeDispatch) {
    AccelWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 60, 40), nullptr, 0));
    w.SetFocus();
    const ACCEL entries[] = {
        {FVIRTKEY | FCONTROL, 'S', 101},
        {FVIRTKEY, VK_F5, 102},
        {FVIRTKEY | FCONTROL | FSHIFT, 'S', 103},
        {FVIRTKEY | FALT, VK_F5, 104},
        {0, '+', 105},  // a character
    };
    RegisterAccelerators(7, entries, 5);
    w.table = LoadAccelerators(7);
    ASSERT_NE(w.table, nullptr);
    EXPECT_EQ(LoadAccelerators(8), nullptr);
    struct Case {
        UINT vk;
        const char* text;
        UINT modifiers;
        int command;  // 0: none, the key reaches the window
    } cases[] = {
        {'S', "", MK_CONTROL, 101}, {VK_F5, "", 0, 102},    {'S', "", MK_CONTROL | MK_SHIFT, 103},
        {VK_F5, "", kAlt, 104},     {'S', "s", 0, 0},       {VK_F5, "", MK_CONTROL, 0},
    };
    for (const Case& c : cases) {
        w.commands.clear();
        w.keys.clear();
        platform::InjectKey(c.vk, c.text, c.modifiers, false, &w);
        platform::ProcessPendingEvents();
        if (c.command) {
            ASSERT_EQ(w.commands.size(), 1u) << c.vk << " " << c.modifiers;
            EXPECT_EQ(w.commands[0], (UINT)c.command);
        } else {
            EXPECT_TRUE(w.commands.empty()) << c.vk << " " << c.modifiers;
            EXPECT_EQ(w.keys.size(), 1u) << c.vk;
        }
        if (c.command && c.text[0] == 0) EXPECT_TRUE(w.keys.empty()) << "translated key dispatched";
    }
    w.table = nullptr;
    w.DestroyWindow();
}

TEST(Accelerators, TablesAreOwnedAndStaleHandlesRefused) {
    AccelWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 20, 20), nullptr, 0));
    platform::InjectKey(VK_F9, "", 0, false, &w);  // no modifier held from earlier events
    platform::ProcessPendingEvents();
    const ACCEL one{FVIRTKEY, VK_F2, 9};
    EXPECT_EQ(CreateAcceleratorTable(&one, 0), nullptr);
    HACCEL t = CreateAcceleratorTable(&one, 1);
    ASSERT_NE(t, nullptr);
    MSG m{w.m_hWnd, WM_KEYDOWN, VK_F2, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAccelerator(w.m_hWnd, t, &m), 1);
    ASSERT_EQ(w.commands.size(), 1u);
    m.message = WM_KEYUP;
    EXPECT_EQ(TranslateAccelerator(w.m_hWnd, t, &m), 0);
    // a character entry answers WM_CHAR, not the key down of the same code
    const ACCEL plus{0, '+', 10};
    HACCEL chars = CreateAcceleratorTable(&plus, 1);
    MSG c{w.m_hWnd, WM_CHAR, '+', 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAccelerator(w.m_hWnd, chars, &c), 1);
    c.message = WM_KEYDOWN;
    EXPECT_EQ(TranslateAccelerator(w.m_hWnd, chars, &c), 0);
    ASSERT_EQ(w.commands.size(), 2u);
    EXPECT_EQ(w.commands[1], 10u);
    EXPECT_TRUE(DestroyAcceleratorTable(chars));
    w.commands.resize(1);
    EXPECT_TRUE(DestroyAcceleratorTable(t));
    EXPECT_FALSE(DestroyAcceleratorTable(t));
    m.message = WM_KEYDOWN;
    EXPECT_EQ(TranslateAccelerator(w.m_hWnd, t, &m), 0);  // stale table
    RegisterAccelerators(11, &one, 1);
    HACCEL shared = LoadAccelerators(11);
    RegisterAccelerators(11, nullptr, 0);  // withdrawn
    EXPECT_EQ(LoadAccelerators(11), nullptr);
    EXPECT_EQ(TranslateAccelerator(w.m_hWnd, shared, &m), 0);
    EXPECT_EQ(w.commands.size(), 1u);
    w.DestroyWindow();
}
}  // namespace
