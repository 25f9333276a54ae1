#pragma once
// The stock-code input: an element window (the status bar holds one) with a one-line
// edit and a prompt, and a pop-up candidate list above it. Typing a code, part of a name
// or the pinyin initials lists the matching securities; choosing one posts 0x8065 to the
// notify window, which reads the chosen candidate (kind 3, key "%04d" market + code).
//
// While the list is open an application key filter routes the list's keys (Escape,
// Backspace, Enter, paging, arrows, letters and digits) to the input, wherever the focus is.
#include "ui/dialog/SkinControls.h"
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "ui/element/ElementWnd.h"
#include "ui/grid/GridUI.h"
#include "ui/input/CodeMatcher.h"

inline constexpr UINT UM_CODE_CHOSEN = 0x8065;
inline constexpr UINT UM_CODE_REFRESH = 0x806A;

class InputCodeWnd;

class CKeyBoardFiled : public GridTextField {
public:
    void Draw(CDC* dc) override;  // code, name and market each in their colour and font
};

// The edit of the input, with the colours the status bar gives it.
// The input's edit: a skinned edit that shows a prompt while nothing is typed; the first
// click into the field takes the prompt away.
class CKeyBoardEdit : public CMyEditCtrl {
public:
    void ShowPrompt();
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::string m_strPrompt;
    int m_bShowingPrompt = 0;
};

class CKeyboardWnd : public CWnd {
public:
    static constexpr COLORREF kBorder = RGB(63, 73, 88);
    static constexpr COLORREF kBack = RGB(93, 109, 132);

    CKeyboardWnd();
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnLButtonDblClk(UINT flags, CPoint pt) override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The matching for the search text and the list's page (what 0x806A does).
    void Refresh();
    void PageDown();
    void PageUp();
    void LineDown();
    void LineUp();
    // Copies the selected candidate and posts 0x8065 to the notify window; false when
    // there is nothing to choose.
    bool Choose();
    void FillPage();
    void Paint(CDC* dc);

    std::string m_strSearch;
    CSortArray<CInputResult> m_results;
    CGridUI m_grid;
    CRect m_rcGrid;
    InputCodeWnd* m_pInput = nullptr;
    CWnd* m_pNotify = nullptr;
    CInputResult m_chosen;

private:
    void MoveSelection(int selDelta, int topDelta);
};

class InputCodeWnd : public CElementWnd {
public:
    static constexpr const char* kPrompt = "输入股票简拼/代码";
    static constexpr int kMaxChars = 12;

    InputCodeWnd();
    ~InputCodeWnd() override;

    void AddChar(UINT ch);
    void Backspace();
    void Cancel();
    void Enter();
    void Search();
    // The key-down of the open list; true when it is swallowed.
    bool OnListKey(UINT vk);
    // The application key filter while the list is open: a key-down aimed at another
    // text control closes the list and goes on to that control.
    bool FilterKey(const MSG& msg);

    void SetNotifyWnd(CWnd* wnd) {
        m_pNotify = wnd;
        m_list.m_pNotify = wnd;
    }
    std::string GetEditText() const;
    bool IsListShown() const { return m_list.m_hWnd && m_list.IsWindowVisible(); }
    const CInputResult& GetChosen() const { return m_list.m_chosen; }

    // The matcher searches this data centre (null: the process's).
    void SetDataCenter(CDataCenter* dc) { m_pDataCenter = dc; }
    CCodeMatcher& Matcher() { return m_matcher; }

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;
    void RecalcLayout() override;
    void DrawClient(CDC* dc) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    CKeyboardWnd m_list;
    COLORREF m_clrBack = 0, m_clrBorder = 0, m_clrBorderHot = 0, m_clrText = 0;
    COLORREF m_clrDisabledBack = 0, m_clrDisabledText = 0;
    int m_bBorder = 0;
    CWnd* m_pNotify = nullptr;
    CKeyBoardEdit m_edit;
    std::string m_strPrompt = kPrompt;
    int m_bPromptShown = 1;
    // Called with the chosen candidate just before 0x8065 is posted (the frame keeps it).
    std::function<void(const CInputResult&)> m_onChosen;

private:
    friend class CKeyboardWnd;
    void InstallKeyFilter();
    void RemoveKeyFilter();
    CDataCenter* DataCenter() const;
    int m_nKeyFilter = 0;
    CDataCenter* m_pDataCenter = nullptr;
    CCodeMatcher m_matcher;
};
