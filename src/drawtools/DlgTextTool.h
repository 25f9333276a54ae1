#pragma once
// "文字": the text of a text drawing tool with its font size, bold, italic and two colours.
// The opener passes the text, the anchor (the dialog's bottom-left corner on the screen),
// the font and the colours, runs it modally and takes them back after OK.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Gdi.h"
#include "ui/dialog/DlgTemplate.h"

class MyButton;
class MyComboBox;
class MyRichEditCtrl;

class CDlgTextTool : public CDlgTemplate {
public:
    static constexpr int kBoldId = 100;
    static constexpr int kItalicId = 101;
    static constexpr int kTextColorId = 102;
    static constexpr int kSecondColorId = 103;
    static constexpr int kTextId = 104;
    static constexpr int kSizeId = 105;
    static constexpr int kMaxChars = 120;
    static constexpr UINT kSizeChosen = 0x464;  // the size box's pick

    explicit CDlgTextTool(CWnd* parent = nullptr);

    void LoadSkin() override { LoadSkinNode("texttool"); }
    void BuildControls() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    // The font from height, bold, italic and face; it replaces the dialog's font.
    void MakeFont();
    // The given font's look: its height, weight, italic and face.
    void SetFontFrom(int height, int weight, bool italic, const std::string& face);
    // The size box's entries and the heights they stand for.
    static const std::vector<std::string>& SizeNames();

    std::string m_strText;
    int m_nX = 0, m_nY = 0;
    int m_nFontHeight = 18;
    uint32_t m_bBold = 0;
    uint32_t m_bItalic = 0;
    std::string m_strFace = "宋体";
    MyRichEditCtrl* m_pEdit = nullptr;
    MyComboBox* m_pSize = nullptr;
    std::vector<int> m_heights{14, 18, 20, 24, 26};
    CFont m_font;
    bool m_bFontGiven = false;
    COLORREF m_clrText = 0;
    COLORREF m_clrSecond = 0;

private:
    void ApplyFont();
    void ApplyFormat();
    static void PaintButton(CDC* dc, int state, MyButton* button);
};
