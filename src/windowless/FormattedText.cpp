// The mark-up text painter. The text is laid out into lines of pieces first (each line's
// height is known only once all of it is measured, and text sits on the line's bottom), and
// the pieces are drawn afterwards.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "windowless/ImageAttribute.h"
#include "windowless/PaintManager.h"
#include "windowless/Render.h"

namespace WinlessUI {
namespace {

COLORREF Ref(DWORD argb) { return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb)); }

int Utf8Len(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

struct Piece {
    enum Kind { Text, Image } kind = Text;
    int line = 0;
    int x = 0;
    int width = 0;
    std::string text;
    TFontInfo* font = nullptr;
    DWORD colour = 0;
    bool selected = false;
    const TImageInfo* image = nullptr;
    RECT source{0, 0, 0, 0};
    int height = 0;
};

struct Line {
    int top = 0;
    int height = 0;
    int spacing = 0;
    int right = 0;  // widest x reached
};

struct LinkSpan {
    int firstLine, startX, lastLine, endX;
    std::string target;
};

class Layout {
public:
    Layout(CDC* dc, CUIPaintManager* pm, const RECT& rc, UINT style, DWORD colour, const std::string& hovered)
        : m_dc(dc), m_pm(pm), m_rc(rc), m_style(style), m_hovered(hovered) {
        m_fonts.push_back(pm->GetDefaultFontInfo());
        m_colours.push_back(colour);
        m_lines.push_back(Line{rc.top, 0, 0, rc.left});
        m_x = rc.left;
    }

    void Run(const char* text);

    std::vector<Piece> pieces;
    std::vector<LinkSpan> links;
    std::vector<Line> m_lines;

private:
    TFontInfo* Font() const { return m_fonts.back(); }
    bool SingleLine() const { return (m_style & DT_SINGLELINE) != 0; }
    int FontHeight(TFontInfo* f) const { return f->tm.tmHeight + f->tm.tmExternalLeading; }
    void Grow(int h) {
        Line& l = m_lines.back();
        l.height = std::max(l.height, h);
    }
    int Spacing() const { return m_spacing.empty() ? 0 : m_spacing.back(); }
    bool LineEmpty() const { return m_x == m_rc.left && !m_lineUsed; }
    // Ends the line; false when no further line fits (drawing stops).
    bool NewLine() {
        if (m_stopped) return false;
        Line& l = m_lines.back();
        if (l.height == 0) l.height = FontHeight(Font());
        l.height += l.spacing;
        int top = l.top + l.height;
        if (SingleLine() || top >= m_rc.bottom) {
            m_stopped = true;
            return false;
        }
        m_lines.push_back(Line{top, 0, Spacing(), m_rc.left});
        m_x = m_rc.left;
        m_lineUsed = false;
        return true;
    }
    int Extent(TFontInfo* f, const std::string& s) {
        CFont* old = m_dc->SelectObject(f->hFont.get());
        int cx = m_dc->GetTextExtent(s).cx;
        m_dc->SelectObject(old);
        return cx;
    }
    void PushVariant(bool bold, bool underline, bool italic) {
        TFontInfo* f = Font();
        CFont* font = m_pm->GetFont(f->sFontName, f->iSize, bold, underline, italic);
        if (font == nullptr) font = m_pm->AddFont(f->sFontName, f->iSize, bold, underline, italic);
        TFontInfo* info = font ? m_pm->GetFontInfo(font) : nullptr;
        m_fonts.push_back(info ? info : f);
    }
    void PopFont() {
        if (m_fonts.size() <= 1) return;
        TFontInfo* was = m_fonts.back();
        m_fonts.pop_back();
        if (was->bItalic && !Font()->bItalic) m_x += Extent(was, " ") / 2;
    }
    void AddText(const std::string& run);
    void OpenTag(char tag, const std::string& arg);
    void CloseTag(char tag);

    CDC* m_dc;
    CUIPaintManager* m_pm;
    RECT m_rc;
    UINT m_style;
    std::string m_hovered;
    std::vector<TFontInfo*> m_fonts;
    std::vector<DWORD> m_colours;
    std::vector<int> m_spacing;
    std::vector<LinkSpan> m_openLinks;
    bool m_selected = false;
    bool m_lineUsed = false;
    bool m_stopped = false;
    int m_x = 0;
};

void Layout::AddText(const std::string& run) {
    size_t at = 0;
    while (at < run.size() && !m_stopped) {
        TFontInfo* f = Font();
        Grow(FontHeight(f));
        const int room = m_rc.right - m_x;
        std::string rest = run.substr(at);
        // Most runs fit: the widest-character estimate spares measuring them.
        int width = (int)rest.size() * std::max<int>(1, f->tm.tmMaxCharWidth) <= room ? -1 : Extent(f, rest);
        if (width < 0 || width <= room) {
            if (width < 0) width = Extent(f, rest);
            pieces.push_back(Piece{Piece::Text, (int)m_lines.size() - 1, m_x, width, rest, f, m_colours.back(), m_selected});
            m_x += width;
            m_lineUsed = true;
            m_lines.back().right = std::max(m_lines.back().right, m_x);
            return;
        }
        // The longest prefix that fits; the first character of a line always stays.
        size_t fit = 0, lastBreak = std::string::npos;
        for (size_t i = 0; i < rest.size();) {
            size_t n = std::min<size_t>(Utf8Len((unsigned char)rest[i]), rest.size() - i);
            if (Extent(f, rest.substr(0, i + n)) > room) break;
            unsigned char c = (unsigned char)rest[i];
            if (c < 0x80 ? !isalnum(c) : true) lastBreak = i + n;
            i += n;
            fit = i;
        }
        if (fit == 0 && LineEmpty()) fit = std::min<size_t>(Utf8Len((unsigned char)rest[0]), rest.size());
        if (m_style & DT_END_ELLIPSIS) {
            // Room for "..." by giving up to two characters.
            const int dots = Extent(f, "...");
            for (int drop = 0; drop < 2 && fit > 0 && Extent(f, rest.substr(0, fit)) + dots > room; ++drop) {
                size_t back = fit - 1;
                while (back > 0 && ((unsigned char)rest[back] & 0xC0) == 0x80) --back;
                fit = back;
            }
            std::string shown = rest.substr(0, fit) + "...";
            int w = Extent(f, shown);
            pieces.push_back(Piece{Piece::Text, (int)m_lines.size() - 1, m_x, w, shown, f, m_colours.back(), m_selected});
            m_x += w;
            m_lines.back().right = std::min<int>(m_rc.right, std::max(m_lines.back().right, m_x));
            m_lineUsed = true;
            // The rest of the run is given up; the text goes on on the next line.
            NewLine();
            return;
        }
        if ((m_style & DT_WORDBREAK) && lastBreak != std::string::npos && lastBreak < rest.size() && lastBreak > 0)
            fit = std::min(fit, lastBreak);
        else if ((m_style & DT_WORDBREAK) && lastBreak == std::string::npos && !LineEmpty())
            fit = 0;  // the whole word moves to the next line
        if (fit > 0) {
            std::string part = rest.substr(0, fit);
            int w = Extent(f, part);
            pieces.push_back(Piece{Piece::Text, (int)m_lines.size() - 1, m_x, w, part, f, m_colours.back(), m_selected});
            m_x += w;
            m_lines.back().right = std::max(m_lines.back().right, m_x);
            m_lineUsed = true;
        }
        at += fit;
        if (!NewLine()) return;
    }
}

void Layout::OpenTag(char tag, const std::string& arg) {
    switch (tag) {
        case 'a': {
            links.push_back(LinkSpan{(int)m_lines.size() - 1, m_x, -1, 0, arg});
            m_openLinks.push_back(links.back());
            links.pop_back();
            m_colours.push_back(arg == m_hovered && !arg.empty() ? m_pm->GetDefaultLinkHoverFontColor()
                                                                 : m_pm->GetDefaultLinkFontColor());
            // Pushed even when it underlines already, so that "</a>" always has a font to pop.
            if (Font()->bUnderline) m_fonts.push_back(Font());
            else PushVariant(Font()->bBold, true, Font()->bItalic);
            break;
        }
        case 'b':
            if (Font()->bBold) m_fonts.push_back(Font());
            else PushVariant(true, Font()->bUnderline, Font()->bItalic);
            break;
        case 'u':
            if (Font()->bUnderline) m_fonts.push_back(Font());
            else PushVariant(Font()->bBold, true, Font()->bItalic);
            break;
        case 'c': {
            const char* p = arg.c_str();
            while (*p == ' ' || *p == '#') ++p;
            m_colours.push_back((DWORD)strtoul(p, nullptr, 16));
            break;
        }
        case 'f': {
            if (!arg.empty() && isdigit((unsigned char)arg[0])) {
                m_fonts.push_back(m_pm->GetFontInfo(atoi(arg.c_str())));
                break;
            }
            std::string face, sizeText, words;
            size_t sp = arg.find(' ');
            face = arg.substr(0, sp);
            int size = 10;
            if (sp != std::string::npos) {
                const char* p = arg.c_str() + sp;
                char* end = nullptr;
                long v = strtol(p, &end, 10);
                if (end != p) size = (int)v;
                words = end;
                for (char& ch : words) ch = (char)tolower((unsigned char)ch);
            }
            bool bold = words.find("bold") != std::string::npos, underline = words.find("underline") != std::string::npos,
                 italic = words.find("italic") != std::string::npos;
            CFont* font = m_pm->GetFont(face.c_str(), size, bold, underline, italic);
            if (font == nullptr) font = m_pm->AddFont(face.c_str(), size, bold, underline, italic);
            TFontInfo* info = font ? m_pm->GetFontInfo(font) : nullptr;
            m_fonts.push_back(info ? info : Font());
            break;
        }
        case 'i': {
            if (arg.find_first_not_of(' ') == std::string::npos) {
                if (Font()->bItalic) m_fonts.push_back(Font());
                else PushVariant(Font()->bBold, Font()->bUnderline, true);
                break;
            }
            // The image (a name, or key='value' pairs), then frame count and frame index.
            size_t quote = arg.rfind('\'');
            size_t split = quote != std::string::npos ? quote + 1 : arg.find(' ');
            std::string image = arg.substr(0, split), numbers = split == std::string::npos ? "" : arg.substr(split);
            CImageAttribute attr;
            attr.SetImage(image.c_str());
            const char* p = numbers.c_str();
            char* end = nullptr;
            int count = (int)strtol(p, &end, 10);
            int index = (int)strtol(end, nullptr, 10);
            if (count < 1) count = 1;
            if (index < 0 || index >= count) index = 0;
            const TImageInfo* info = m_pm->GetOrLoadImage(attr.m_sImage, attr.m_sResType.IsEmpty() ? nullptr : attr.m_sResType.GetData(), 0);
            if (info == nullptr) break;
            const int w = info->nX / count, h = info->nY;
            if (m_x + w > m_rc.right && !LineEmpty() && !SingleLine() && !NewLine()) break;
            Piece piece;
            piece.kind = Piece::Image;
            piece.line = (int)m_lines.size() - 1;
            piece.x = m_x;
            piece.width = w;
            piece.height = h;
            piece.image = info;
            piece.source = RECT{w * index, 0, w * (index + 1), h};
            pieces.push_back(piece);
            Grow(h);
            m_x += w;
            m_lineUsed = true;
            m_lines.back().right = std::max(m_lines.back().right, m_x);
            break;
        }
        case 'n':
            if (!SingleLine()) NewLine();
            break;
        case 'p':
            if (!LineEmpty()) NewLine();
            m_spacing.push_back(atoi(arg.c_str()));
            m_lines.back().spacing = std::max(m_lines.back().spacing, m_spacing.back());
            break;
        case 's':
            m_selected = !m_selected;
            break;
        case 'x':
            m_x += atoi(arg.c_str());
            m_lineUsed = true;
            break;
        case 'y':
            m_lines.back().height = atoi(arg.c_str());
            break;
        default:
            break;
    }
}

void Layout::CloseTag(char tag) {
    switch (tag) {
        case 'a':
            if (!m_openLinks.empty()) {
                LinkSpan span = m_openLinks.back();
                m_openLinks.pop_back();
                span.lastLine = (int)m_lines.size() - 1;
                span.endX = m_x;
                links.push_back(span);
            }
            if (m_colours.size() > 1) m_colours.pop_back();
            PopFont();
            break;
        case 'b':
        case 'f':
        case 'i':
        case 'u':
            PopFont();
            break;
        case 'c':
            if (m_colours.size() > 1) m_colours.pop_back();
            break;
        case 'p':
            if (!m_spacing.empty()) m_spacing.pop_back();
            if (!LineEmpty()) NewLine();
            break;
        case 's':
            m_selected = !m_selected;
            break;
        default:
            break;
    }
}

bool IsOpen(char c) { return c == '<' || c == '{'; }
bool IsClose(char c) { return c == '>' || c == '}'; }

void Layout::Run(const char* text) {
    const char* p = text;
    std::string run;
    auto flush = [&] {
        if (!run.empty()) AddText(run);
        run.clear();
    };
    while (*p && !m_stopped) {
        // Escapes for the bracket characters themselves.
        if ((p[0] == '<' && (p[1] == '{' || p[1] == '}') && p[2] == '>') ||
            (p[0] == '{' && (p[1] == '<' || p[1] == '>') && p[2] == '}')) {
            run += p[1];
            p += 3;
            continue;
        }
        if (IsOpen(p[0]) && p[1] == '/' && p[2] != '\0') {
            flush();
            char tag = p[2];
            p += 3;
            while (*p && !IsClose(*p)) ++p;
            if (*p) ++p;
            CloseTag(tag);
            continue;
        }
        if (IsOpen(p[0]) && islower((unsigned char)p[1]) && (p[2] == ' ' || IsClose(p[2]))) {
            flush();
            char tag = p[1];
            p += 2;
            if (*p == ' ') ++p;
            if (tag == 'r') {
                while (*p && !IsClose(*p)) ++p;
                if (*p) ++p;
                // Raw text: no tags until "</r>" (either bracket style).
                const char* end = p;
                while (*end && !(IsOpen(end[0]) && end[1] == '/' && end[2] == 'r' && IsClose(end[3]))) ++end;
                run.assign(p, end);
                flush();
                p = *end ? end + 4 : end;
                continue;
            }
            const char* start = p;
            while (*p && !IsClose(*p)) ++p;
            std::string arg(start, p);
            if (*p) ++p;
            OpenTag(tag, arg);
            continue;
        }
        if (*p == '\n') {
            flush();
            ++p;
            if (!NewLine()) break;
            continue;
        }
        run += *p++;
    }
    flush();
    Line& last = m_lines.back();
    if (last.height == 0) last.height = FontHeight(Font());
    if (!m_stopped) last.height += last.spacing;
    // Links left open run to the end of the text.
    while (!m_openLinks.empty()) CloseTag('a');
}

}  // namespace

void CRenderEngine::DrawFormattedText(CDC* dc, CUIPaintManager* manager, RECT& rc, const char* text, DWORD colour,
                                      RECT* linkRects, CUIString* targets, int& linkCount, UINT style) {
    const int room = linkCount;
    linkCount = 0;
    if (dc == nullptr || manager == nullptr || text == nullptr || *text == '\0') return;
    if (rc.right <= rc.left || rc.bottom <= rc.top) return;
    const bool calc = (style & DT_CALCRECT) != 0;

    std::string hovered;
    POINT mouse = manager->GetLastMousePos();
    for (int i = 0; i < room && linkRects && targets; ++i)
        if (PtInRect(linkRects[i], mouse)) {
            hovered = targets[i].ToStd();
            break;
        }

    Layout layout(dc, manager, rc, style, colour, hovered);
    layout.Run(text);
    const std::vector<Line>& lines = layout.m_lines;
    const int textBottom = lines.back().top + lines.back().height;
    int widest = rc.left;
    for (const Line& l : lines) widest = std::max(widest, l.right);
    for (const Piece& pc : layout.pieces)
        if (pc.kind == Piece::Image) widest = std::max(widest, pc.x + pc.width);

    if (calc) {
        rc.bottom = textBottom;
        rc.right = std::min<LONG>(rc.right, widest);
        return;
    }

    // Alignment moves each line horizontally and the whole text vertically.
    int dy = 0;
    if (style & DT_VCENTER) dy = ((rc.bottom - rc.top) - (textBottom - rc.top)) / 2;
    else if (style & DT_BOTTOM) dy = (rc.bottom - rc.top) - (textBottom - rc.top);
    dy = std::max(0, dy);
    std::vector<int> dx(lines.size(), 0);
    for (size_t i = 0; i < lines.size(); ++i) {
        int spare = std::max(0, (int)(rc.right - lines[i].right));
        if (style & DT_RIGHT) dx[i] = spare;
        else if (style & DT_CENTER) dx[i] = spare / 2;
    }

    int saved = dc->SaveDC();
    dc->IntersectClipRect(&rc);
    CFont* oldFont = dc->GetCurrentFont();
    dc->SetBkMode(TRANSPARENT);
    dc->SetBkColor(Ref(manager->GetDefaultSelectedBkColor()));
    for (const Piece& pc : layout.pieces) {
        const Line& line = lines[pc.line];
        const int x = pc.x + dx[pc.line];
        if (pc.kind == Piece::Image) {
            int top = line.top + dy + std::max(0, (line.height - pc.height) / 2);
            RECT dest{x, top, x + pc.width, top + pc.height};
            DrawImage(dc, pc.image->hBitmap.get(), dest, rc, pc.source, RECT{0, 0, 0, 0}, pc.image->alphaChannel);
            continue;
        }
        const int y = line.top + dy + line.height - pc.font->tm.tmHeight - pc.font->tm.tmExternalLeading;
        dc->SelectObject(pc.font->hFont.get());
        dc->SetTextColor(Ref(pc.colour));
        dc->SetBkMode(pc.selected ? OPAQUE : TRANSPARENT);
        dc->TextOut(x, y, pc.text);
    }
    if (oldFont) dc->SelectObject(oldFont);
    dc->RestoreDC(saved);

    for (const LinkSpan& span : layout.links) {
        if (linkCount >= room || linkRects == nullptr || targets == nullptr) break;
        const Line& first = lines[span.firstLine];
        const Line& last = lines[span.lastLine];
        linkRects[linkCount] = RECT{span.startX + dx[span.firstLine], first.top + dy, span.endX + dx[span.lastLine],
                                    last.top + last.height + dy};
        targets[linkCount] = span.target.c_str();
        ++linkCount;
    }
}

}  // namespace WinlessUI
