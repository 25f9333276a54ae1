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

FontShapes::Iter FontShapes::Find(const QString& text) {
    auto found = m_index.find(text);
    Iter it;
    if (found != m_index.end()) {
        it = found.value();
        if (it != m_order.begin()) m_order.splice(m_order.begin(), m_order, it);
        return it;
    }
    if ((int)m_order.size() >= kCapacity) {
        Entry& last = m_order.back();
        m_index.remove(last.text);
        if (last.byUtf8) m_utf8.erase(last.utf8);
        m_maskBytes -= last.shaped.mask.Bytes();
        m_order.pop_back();
    }
    m_order.push_front(Entry{text, {}, {}, false});
    it = m_order.begin();
    it->shaped.width = m_metrics.horizontalAdvance(text);
    m_index.insert(text, it);
    return it;
}

const ShapedText& FontShapes::Get(const QString& text, bool forDrawing) {
    Iter it = Find(text);
    if (forDrawing && !it->shaped.shaped) Shape(it->shaped, text, m_font);
    return it->shaped;
}

const ShapedText& FontShapes::GetUtf8(const std::string& bytes, bool forDrawing,
                                      const QString** text) {
    Iter it;
    auto found = m_utf8.find(bytes);
    if (found != m_utf8.end()) {
        it = found->second;
        if (it != m_order.begin()) m_order.splice(m_order.begin(), m_order, it);
    } else {
        it = Find(ToQ(bytes));
        // malformed UTF-8 of several spellings reads as one text: only the first is kept
        if (!it->byUtf8) {
            it->utf8 = bytes;
            it->byUtf8 = true;
            m_utf8.emplace(bytes, it);
        }
    }
    if (forDrawing && !it->shaped.shaped) Shape(it->shaped, it->text, m_font);
    *text = &it->text;
    return it->shaped;
}

namespace {
constexpr int kMaskMargin = 4;  // emboldened and slanted glyphs reach past their outlines
constexpr int kMaxMaskPixels = 64 * 1024;

// The pixels of one layer gathered in a buffer of the whole area, cut to what they cover.
void TakeLayer(TextMask& mask, std::vector<uchar>& buffer, const QRect& area) {
    const int w = area.width(), h = area.height();
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (buffer[size_t(y) * w + x]) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0) return;
    TextMask::Layer layer;
    layer.rect = QRect(area.left() + left, area.top() + top, right - left + 1, bottom - top + 1);
    layer.coverage.reserve(size_t(layer.rect.width()) * layer.rect.height());
    for (int y = top; y <= bottom; ++y) {
        uchar* row = buffer.data() + size_t(y) * w;
        layer.coverage.insert(layer.coverage.end(), row + left, row + right + 1);
        std::fill(row + left, row + right + 1, uchar(0));
    }
    mask.layers.push_back(std::move(layer));
}

// Draws the runs glyph by glyph in white on black: what each glyph leaves in a colour
// channel is its coverage, as the engine blends a glyph of plain coverage (c * a + d * (1 -
// a) per channel). Glyphs of colour or of sub-pixel coverage leave the channels unequal:
// no mask then.
bool MakeMask(TextMask& mask, const ShapedText& shaped) {
    const QRect area = shaped.ink.toAlignedRect().adjusted(-kMaskMargin, -kMaskMargin,
                                                             kMaskMargin, kMaskMargin);
    if (area.isEmpty() || qint64(area.width()) * area.height() > kMaxMaskPixels) return false;
    QImage scratch(area.size(), QImage::Format_RGB32);
    std::vector<uchar> layer(size_t(area.width()) * area.height(), 0);
    std::vector<std::pair<int, uchar>> glyph;
    QPainter p(&scratch);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(QColor(255, 255, 255));
    const QPointF origin(-area.left(), -area.top());
    for (const QGlyphRun& run : shaped.runs) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            p.fillRect(scratch.rect(), QColor(0, 0, 0));
            QGlyphRun one(run);
            one.setGlyphIndexes({indexes[i]});
            one.setPositions({positions[i]});
            p.drawGlyphRun(origin, one);
            glyph.clear();
            bool shared = false;
            for (int y = 0; y < area.height(); ++y) {
                const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
                for (int x = 0; x < area.width(); ++x) {
                    const QRgb v = row[x] & 0xffffff;
                    if (!v) continue;
                    const int c = qRed(v);
                    if (qGreen(v) != c || qBlue(v) != c) return false;
                    // a glyph reaching the border may have been cut by it
                    if (x == 0 || y == 0 || x == area.width() - 1 || y == area.height() - 1)
                        return false;
                    const int k = y * area.width() + x;
                    if (layer[size_t(k)]) shared = true;
                    glyph.emplace_back(k, uchar(c));
                }
            }
            if (shared) TakeLayer(mask, layer, area);
            for (const auto& [k, c] : glyph) layer[size_t(k)] = c;
        }
    }
    TakeLayer(mask, layer, area);
    return true;
}
}  // namespace

bool GlyphBlendingAsMasks() {
    // Text drawn through the painter in a colour over a background, against its coverage
    // drawn in white on black, blended as the writer blends it: once per process, so that
    // a toolkit or font engine that blends its own way (with gamma correction, say) keeps
    // every text on the painter.
    static const bool known = [] {
        const QFont font = FontFromLogFont(DefaultLogFont());
        const QString text = QStringLiteral("Wg0.6%(");
        auto draw = [&](QRgb background, QRgb colour) {
            QImage image(80, 24, QImage::Format_RGB32);
            image.fill(background);
            QPainter p(&image);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.setFont(font);
            p.setPen(QColor::fromRgb(colour));
            p.drawText(QPoint(2, 17), text);
            return image;
        };
        auto mul = [](int x, int a) {
            const int t = x * a;
            return (t + (t >> 8) + 0x80) >> 8;
        };
        const QImage mask = draw(0xff000000, 0xffffffff);
        const QRgb background = 0xff3a6b9c, colour = 0xffc86432;
        const QImage image = draw(background, colour);
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x) {
                const QRgb m = mask.pixel(x, y), v = image.pixel(x, y);
                const int a = qRed(m);
                if (qGreen(m) != a || qBlue(m) != a) return false;
                if (qRed(v) != mul(qRed(colour), a) + mul(qRed(background), 255 - a) ||
                    qGreen(v) != mul(qGreen(colour), a) + mul(qGreen(background), 255 - a) ||
                    qBlue(v) != mul(qBlue(colour), a) + mul(qBlue(background), 255 - a))
                    return false;
            }
        return true;
    }();
    return known;
}

const TextMask* FontShapes::Mask(const ShapedText& constShaped) {
    // the entry is one of this set's own
    ShapedText& shaped = const_cast<ShapedText&>(constShaped);
    if (shaped.maskState == ShapedText::Mask::Made) return &shaped.mask;
    if (shaped.maskState == ShapedText::Mask::None || !shaped.runsDrawable) return nullptr;
    if (shaped.draws < kDrawsBeforeMask) {
        ++shaped.draws;
        return nullptr;
    }
    TextMask mask;
    if (!MakeMask(mask, shaped)) {
        shaped.maskState = ShapedText::Mask::None;
        return nullptr;
    }
    const size_t bytes = mask.Bytes();
    // the least recently drawn give up their masks beyond the bound
    for (auto it = m_order.rbegin(); it != m_order.rend() && m_maskBytes + bytes > kMaskBytes; ++it)
        if (&it->shaped != &shaped && it->shaped.maskState == ShapedText::Mask::Made) {
            m_maskBytes -= it->shaped.mask.Bytes();
            it->shaped.mask = TextMask();
            it->shaped.maskState = ShapedText::Mask::NotMade;
        }
    if (m_maskBytes + bytes > kMaskBytes) {
        shaped.maskState = ShapedText::Mask::None;
        return nullptr;
    }
    m_maskBytes += bytes;
    shaped.mask = std::move(mask);
    shaped.maskState = ShapedText::Mask::Made;
    return &shaped.mask;
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

namespace {
struct ThreadLogFonts {
    static constexpr int kFonts = 8;
    struct Item {
        LOGFONT lf;
        LogFontChoice choice;
    };
    std::list<Item> items;  // most recently selected first
};
thread_local ThreadLogFonts t_logFonts;
}  // namespace

// the fields FontFromLogFont reads
bool SameFont(const LOGFONT& a, const LOGFONT& b) {
    return a.lfHeight == b.lfHeight && (a.lfWeight >= 600) == (b.lfWeight >= 600) &&
           (a.lfItalic != 0) == (b.lfItalic != 0) && (a.lfUnderline != 0) == (b.lfUnderline != 0) &&
           (a.lfStrikeOut != 0) == (b.lfStrikeOut != 0) && a.lfFaceName == b.lfFaceName;
}

const LogFontChoice& FontForLogFont(const LOGFONT& lf) {
    auto& items = t_logFonts.items;
    for (auto it = items.begin(); it != items.end(); ++it)
        if (SameFont(it->lf, lf)) {
            if (it != items.begin()) items.splice(items.begin(), items, it);
            return items.front().choice;
        }
    if ((int)items.size() >= ThreadLogFonts::kFonts) items.pop_back();
    QFont font = FontFromLogFont(lf);
    std::shared_ptr<FontShapes> shapes = ShapesForFont(font);
    items.push_front(ThreadLogFonts::Item{lf, LogFontChoice{std::move(font), std::move(shapes)}});
    return items.front().choice;
}

}  // namespace platform
