#pragma once
// Native controls: each wraps the matching toolkit widget and reports to its parent
// the classic way: WM_COMMAND with MAKEWPARAM(id, code) and the control's handle as
// lParam; WM_NOTIFY for the date controls; WM_HSCROLL/WM_VSCROLL for scroll bars.
// Keys and characters reach the control's WindowProc first (WM_KEYDOWN, WM_CHAR, ...);
// the widget's own handling runs only when the handler calls Default().
#include <string>

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
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    BOOL Undo();

protected:
    void CreateNative(DWORD style) override;
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
    int FindStringExact(int start, const char* text) const;
    int SelectString(int start, const char* text);
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
    int SetSel(int index, BOOL select = TRUE);

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

class CScrollBar : public CNativeCtrl {
public:
    BOOL SetScrollInfo(const SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL) const;
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int* minPos, int* maxPos) const;
    int SetScrollPos(int pos, BOOL redraw = TRUE);
    int GetScrollPos() const;

protected:
    void CreateNative(DWORD style) override;
};
