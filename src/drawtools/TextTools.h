#pragma once
// The one-point tools: the text tool (a multi-line note in a box with a leader line to
// the marked point) and the symbol tool (a trade arrow, a price tag or one of forty
// symbol characters). Both are placed with the usual press-drag-release and are always
// big enough.

#include <string>
#include <vector>

#include "drawtools/AssistLines.h"

class CPointAssistor : public CRecRgnLines {
public:
    bool IsBigEnough() const override { return true; }
    // Only anchor 2's square.
    void PaintHandles(CDC* dc) override;
};

class CTextAssistor : public CPointAssistor {
public:
    static constexpr int kWrapWidth = 341;
    static constexpr const char* kDefaultText = "请输入文字";

    CTextAssistor();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    int HitTest(int x, int y) override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "TextTool"; }
    const char* GetDisplayName() const override { return "文字工具"; }
    int loadFromXml(const tinyxml2::XMLElement* element) override;
    int saveToXml(ToolXmlOut out) const override;

    // The box of lines measured as `extents` (width, text height each): a line wider than
    // the wrap width counts width / 341 + 1 times its height and the box is at most 341
    // pixels wide.
    static CSize TextBoxSize(const std::vector<CSize>& extents);
    // The lines of a text: split at "\n"; a trailing empty part is no line.
    static std::vector<std::string> SplitLines(const std::string& text);

    // Replaces the font: height in pixels (LOGFONT height), face, weight and italic.
    void SetFont(int height, const std::string& face, int weight, bool italic);
    const LOGFONT& GetLogFont() const { return m_font.m_lf; }

    std::string m_strText = kDefaultText;
    int32_t m_nFontHeight = 14;
    CPoint m_leaderStart, m_leaderEnd;
    CRect m_rcText;

protected:
    CFont* ToolFont() override { return &m_font; }

private:
    CFont m_font;
};

class CBMPPaster : public CPointAssistor {
public:
    static constexpr int kUpArrow = 2000;
    static constexpr int kDownArrow = 2001;
    static constexpr int kPriceTag = 1000;
    static constexpr int kPriceTagColor = 0x9745BA;

    explicit CBMPPaster(int variant = 0) : m_nVariant(variant) {}
    std::shared_ptr<CRecRgnLines> Clone() const override;
    int HitTest(int x, int y) override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return m_nVariant == 1 ? "FallTool" : "RiseTool"; }
    const char* GetDisplayName() const override { return "符号"; }
    int loadFromXml(const tinyxml2::XMLElement* element) override;
    int saveToXml(ToolXmlOut out) const override;

    // The character of variants 0 to 39; empty for any other.
    static std::string SymbolText(int variant);

    int32_t m_nVariant = 0;

private:
    int ArrowSize() const;
};
