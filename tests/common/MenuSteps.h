#pragma once
// Drives a popup menu's own modal loop from a test: the steps run one per loop pass (a
// 1 ms timer), typically injected keys. A menu still open after the last step is a
// failure and is closed, so the test ends instead of hanging.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/Input.h"
#include "platform/Menu.h"
#include "platform/Wnd.h"

struct MenuSteps : CWnd {
    std::vector<std::function<void()>> steps;
    MenuSteps() { CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 1, 1), nullptr, 0); }
    void Run(std::vector<std::function<void()>> s) {
        steps = std::move(s);
        SetTimer(1, 1);
    }
    void OnTimer(UINT_PTR) override {
        if (steps.empty()) {
            if (CWnd* open = GetOpenPopupMenuWindow()) {
                ADD_FAILURE() << "menu still open";
                platform::InjectKey(VK_ESCAPE, {}, 0, false, open);
                return;
            }
            KillTimer(1);
            return;
        }
        auto f = steps.front();
        steps.erase(steps.begin());
        f();
    }
};

// A key to the open popup menu.
inline void MenuKey(UINT vk, const char* text = "") {
    platform::InjectKey(vk, text, 0, false, GetOpenPopupMenuWindow());
}
