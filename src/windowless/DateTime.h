#pragma once
// A button-looking field showing a date ("2024-03-07"); focusing or clicking it lays a
// native date picker over it, whose date is written back as text when it loses the focus.
// Backspace or Delete in the picker empties the text, Escape leaves it.
#include "windowless/Button.h"
#include "windowless/WindowWnd.h"

namespace WinlessUI {

class CDateTimeUI;

class CDateTimeWnd : public CWindowWnd {
public:
    void Init(CDateTimeUI* owner);
    const char* WindowClassName() const override { return "DateTimeWnd"; }
    const char* SuperclassName() const override { return "SysDateTimePick32"; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone(HWND hwnd) override;

private:
    void TakeDateAndClose();

    CDateTimeUI* m_pOwner = nullptr;
    bool m_bInit = false;
    bool m_bClosing = false;
};

class CDateTimeUI : public CButtonUI {
public:
    enum PendingAction { kNone = 0, kTakeDate = 1, kClearText = 2, kCancelled = 3 };
    CDateTimeUI();
    ~CDateTimeUI() override;
    const char* GetClassName() const override { return "DateTimeUI"; }
    void* GetInterface(const char* name) override;
    void HandleEvent(UIEvent& event) override;

    const SYSTEMTIME& GetTime() const { return m_sysTime; }
    void SetTime(const SYSTEMTIME& t);
    void UpdateText();
    int GetPendingAction() const { return m_nDTUpdateFlag; }
    void SetPendingAction(int action) { m_nDTUpdateFlag = action; }
    CDateTimeWnd* GetPickerWindow() const { return m_pWindow; }
    // The local date and time now.
    static SYSTEMTIME Now();

protected:
    void OpenPicker();

    SYSTEMTIME m_sysTime{};
    int m_nDTUpdateFlag = kNone;
    CDateTimeWnd* m_pWindow = nullptr;

    friend class CDateTimeWnd;
};

}  // namespace WinlessUI
