#pragma once
// Message box, colour chooser and file dialogs. Each can be answered by a hook instead
// of a person (tests, scripted runs): when a hook is set the dialog is not shown.
#include <functional>
#include <string>
#include <vector>

#include "platform/Wnd.h"

// Returns IDOK, IDCANCEL, IDYES, IDNO, ... as the buttons of type allow.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
int AfxMessageBox(const char* text, UINT type = MB_OK);
using MessageBoxHook =
    std::function<int(const std::string& text, const std::string& caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    LRESULT DoModal();  // IDOK or IDCANCEL
    COLORREF GetColor() const { return m_color; }
    static void SetHook(std::function<bool(COLORREF& inOut)> hook);

private:
    COLORREF m_color;
    CWnd* m_parent;
};

#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_ALLOWMULTISELECT 0x00000200
class CFileDialog {
public:
    // filter: "Text (*.txt)|*.txt|All (*.*)|*.*||"
    CFileDialog(BOOL open, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = 0, const char* filter = nullptr, CWnd* parent = nullptr);
    LRESULT DoModal();  // IDOK or IDCANCEL
    std::string GetPathName() const { return m_path; }
    std::string GetFileName() const;
    std::string GetFileExt() const;
    // The hook gets (open, proposed name) and fills the chosen path; false = cancelled.
    static void SetHook(std::function<bool(BOOL open, std::string& path)> hook);

private:
    BOOL m_open;
    std::string m_defExt, m_path, m_filter;
    DWORD m_flags;
    CWnd* m_parent;
};
