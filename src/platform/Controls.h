#pragma once
// Native controls: each wraps the matching toolkit widget and reports to its parent
// the classic way: WM_COMMAND with MAKEWPARAM(id, code) and the control's handle as
// lParam; WM_NOTIFY for the date controls; WM_HSCROLL/WM_VSCROLL for scroll bars.
// Keys and characters reach the control's WindowProc first (WM_KEYDOWN, WM_CHAR, ...);
// the widget's own handling runs only when the handler calls Default(). The mouse does
// the same: moves, presses, releases, double-clicks, the wheel and WM_SETCURSOR, also over
// the widgets inside a control, reach WindowProc and the procedures put in front of it in
// client coordinates first. A control's mouse never goes on to its parent, except a wheel
// the control does not use (the default passes it on, as any child window's does); the
// default WM_SETCURSOR asks the parent and otherwise keeps the control's own cursor.
//
// The classic messages (ControlMessages.h) reach the same handling as the member functions:
// EM_* on edits and rich edits, CB_* on combo boxes, LB_* on list boxes, SBM_* on scroll
// bars, WM_CUT/COPY/PASTE/CLEAR/UNDO, with their classic answers (CB_ERR / LB_ERR for a bad
// index). The members of CScrollBar send their SBM_* messages, so a subclass that answers
// them itself (a skinned bar) is what SetScrollInfo and GetScrollInfo reach; the other
// controls' members act directly.
// Notifications: EN_UPDATE then EN_CHANGE for every change of an edit's text (typed or
// set), EN_MAXTEXT when typing meets the limit, EN_SETFOCUS / EN_KILLFOCUS; CBN_SELCHANGE
// when the user picks an item, CBN_EDITCHANGE for typing in an editable combo box,
// CBN_DROPDOWN / CBN_CLOSEUP, CBN_SETFOCUS / CBN_KILLFOCUS; LBN_SELCHANGE when the user
// changes the selection (LBS_NOTIFY), LBN_DBLCLK, LBN_SETFOCUS / LBN_KILLFOCUS. Changes
// made by the program (SetCurSel, SetSel, ...) notify nothing, like the classic controls,
// except an edit's text.
// Edits, rich edits and list boxes created with WS_VSCROLL / WS_HSCROLL report their
// scroll bars through GetScrollInfo (SB_VERT / SB_HORZ) and scroll on WM_VSCROLL /
// WM_HSCROLL; see Wnd.h.
#include <string>
#include <vector>

#include "platform/ControlMessages.h"
#include "platform/Wnd.h"

class CNativeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Colours of text and background; CLR_NONE keeps the default.
    void SetColors(COLORREF text, COLORREF background);
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual void CreateNative(DWORD style) = 0;
    void Notify(UINT code);
    void NotifyTextChange();  // EN_UPDATE, then EN_CHANGE
};

class CEdit : public CNativeCtrl {
public:
    void SetLimitText(UINT max);
    void LimitText(UINT max) { SetLimitText(max); }
    UINT GetLimitText() const;
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;  // character positions
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    BOOL SetReadOnly(BOOL ro = TRUE);
    void SetPasswordChar(char ch);
    int GetLineCount() const;
    int LineFromChar(int charIndex = -1) const;
    int LineIndex(int line = -1) const;
    int LineLength(int charIndex = -1) const;
    std::string GetLine(int line) const;
    int GetFirstVisibleLine() const;
    void SetMargins(UINT left, UINT right);
    DWORD GetMargins() const;  // MAKELONG(left, right)
    char GetPasswordChar() const;
    BOOL GetModify() const;
    void SetModify(BOOL modified = TRUE);
    BOOL CanUndo() const;
    void EmptyUndoBuffer();
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    BOOL Undo();

protected:
    void CreateNative(DWORD style) override;
    char m_passwordChar = 0;
};

class CRichEditCtrl : public CNativeCtrl {
public:
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    BOOL SetReadOnly(BOOL ro = TRUE);
    void LimitText(int max);
    int GetLineCount() const;
    COLORREF SetBackgroundColor(BOOL useSystem, COLORREF c);
    // Colour and pixel size of the text typed from now on (and of all text when all).
    void SetDefaultCharFormat(COLORREF color, int pixelSize, const char* face, BOOL all = TRUE);
    std::string GetSelText() const;

protected:
    void CreateNative(DWORD style) override;
};

class CComboBox : public CNativeCtrl {
public:
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);  // sends no notification, like the classic control
    int GetLBText(int index, std::string& text) const;
    int SetItemData(int index, DWORD_PTR_T data);
    DWORD_PTR_T GetItemData(int index) const;
    int GetLBTextLen(int index) const;
    int FindString(int start, const char* prefix) const;
    int FindStringExact(int start, const char* text) const;
    int SelectString(int start, const char* text);
    BOOL LimitText(int max);
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;

protected:
    void CreateNative(DWORD style) override;
};

class CListBox : public CNativeCtrl {
public:
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetText(int index, std::string& text) const;
    int SetItemData(int index, DWORD_PTR_T data);
    DWORD_PTR_T GetItemData(int index) const;
    int GetTopIndex() const;
    int SetTopIndex(int index);
    int GetSelCount() const;
    int GetSelItems(int max, int* items) const;
    int SetSel(int index, BOOL select = TRUE);
    int GetSel(int index) const;  // > 0 when selected
    int GetTextLen(int index) const;
    int FindString(int start, const char* prefix) const;
    int FindStringExact(int start, const char* text) const;
    int SelectString(int start, const char* text);

protected:
    void CreateNative(DWORD style) override;
};

class CDateTimeCtrl : public CNativeCtrl {
public:
    BOOL SetTime(const SYSTEMTIME* t);
    DWORD GetTime(SYSTEMTIME* t) const;  // 0 (valid)
    BOOL SetRange(const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime);
    BOOL SetFormat(const char* format);  // "yyyy-MM-dd" style

protected:
    void CreateNative(DWORD style) override;
};

class CMonthCalCtrl : public CNativeCtrl {
public:
    BOOL SetCurSel(const SYSTEMTIME* t);
    BOOL GetCurSel(SYSTEMTIME* t) const;
    BOOL SetRange(const SYSTEMTIME* minTime, const SYSTEMTIME* maxTime);

protected:
    void CreateNative(DWORD style) override;
};

class CProgressCtrl : public CNativeCtrl {
public:
    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int SetPos(int pos);  // previous position
    int GetPos() const;
    int OffsetPos(int delta);
    int SetStep(int step);
    int StepIt();  // wraps to the lower bound past the upper one

protected:
    void CreateNative(DWORD style) override;
    int m_step = 10;
};

// The members send SBM_* to the bar itself.
class CScrollBar : public CNativeCtrl {
public:
    BOOL SetScrollInfo(const SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL) const;
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int* minPos, int* maxPos) const;
    int SetScrollPos(int pos, BOOL redraw = TRUE);
    int GetScrollPos() const;
    int GetScrollLimit() const;
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateNative(DWORD style) override;
};
