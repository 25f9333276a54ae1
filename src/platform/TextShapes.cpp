// Shaped text kept for reuse, per font and thread.
#include <QTextLayout>

#include "platform/PlatformPrivate.h"

namespace platform {

namespace {
std::atomic<bool> g_shortcuts{true};

// Texts the glyph runs of a layout draw exactly as the painter's own text call: no
// control characters (tabs, line breaks), nothing right-to-left or bidi-embedded.
bool RunsDrawable(const QString& text, const QFont& font) {
    if (font.underline() || font.strikeOut() || font.overline()) return false;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirPDF:
        case QChar::DirRLI:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDI:
            return false;
        default:
            break;
        }
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c.unicode() == 0x9c)
            return false;
    }
    return true;
}

void Shape(ShapedText& out, const QString& text, const QFont& font) {
    out.shaped = true;
    out.runsDrawable = RunsDrawable(text, font);
    if (!out.runsDrawable || text.isEmpty()) return;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        out.runsDrawable = false;
        return;
    }
    line.setLineWidth(1e6);
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    if (line.textLength() != text.size()) {
        out.runsDrawable = false;
        return;
    }
    // positions come below the line's top; the caller places the baseline
    const qreal ascent = line.ascent();
    out.runs = line.glyphRuns();
    for (QGlyphRun& run : out.runs) {
        QList<QPointF> pos = run.positions();
        for (QPointF& p : pos) p.ry() -= ascent;
        run.setPositions(pos);
        run.setBoundingRect(QRectF());  // the layout's line box, not the glyphs: measured anew
        out.ink |= run.boundingRect();
    }
}

struct ThreadFonts {
    static constexpr int kFonts = 32;
    std::list<std::shared_ptr<FontShapes>> fonts;  // most recently selected first
};
thread_local ThreadFonts t_fonts;
}  // namespace

void SetDrawingShortcuts(bool on) {
    g_shortcuts.store(on, std::memory_order_relaxed);
}
bool DrawingShortcuts() {
    return g_shortcuts.load(std::memory_order_relaxed);
}

const ShapedText& FontShapes::Get(const QString& text, bool forDrawing) {
    auto found = m_index.find(text);
    std::list<Entry>::iterator it;
    if (found != m_index.end()) {
        it = found.value();
        if (it != m_order.begin()) m_order.splice(m_order.begin(), m_order, it);
    } else {
        if ((int)m_order.size() >= kCapacity) {
            m_index.remove(m_order.back().text);
            m_order.pop_back();
        }
        m_order.push_front(Entry{text, {}});
        it = m_order.begin();
        it->shaped.width = m_metrics.horizontalAdvance(text);
        m_index.insert(text, it);
    }
    if (forDrawing && !it->shaped.shaped) Shape(it->shaped, text, m_font);
    return it->shaped;
}

std::shared_ptr<FontShapes> ShapesForFont(const QFont& font) {
    auto& fonts = t_fonts.fonts;
    for (auto it = fonts.begin(); it != fonts.end(); ++it)
        if ((*it)->Font() == font && (*it)->Font().hintingPreference() == font.hintingPreference()) {
            if (it != fonts.begin()) fonts.splice(fonts.begin(), fonts, it);
            return fonts.front();
        }
    if ((int)fonts.size() >= ThreadFonts::kFonts) fonts.pop_back();
    fonts.push_front(std::make_shared<FontShapes>(font));
    return fonts.front();
}

}  // namespace platform
