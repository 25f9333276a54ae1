#pragma once
// Internals shared by the layer's own sources; the only header that includes Qt.
// Nothing outside src/platform includes it.
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <atomic>
#include <functional>
#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Graphics.h"
#include "platform/Wnd.h"

namespace platform {

inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline QColor ToQColorArgb(ARGB c) {
    return QColor((c >> 16) & 0xff, (c >> 8) & 0xff, c & 0xff, c >> 24);
}
inline COLORREF FromQRgb(QRgb p) {
    return RGB(qRed(p), qGreen(p), qBlue(p));
}
// Rectangles reach far past any image now and then (a text placed from far off to far off);
// their edges are brought within +-2^28 first, where int arithmetic on them (widths, centres,
// unions, translations) cannot overflow. Nothing that shows changes.
inline RECT WithinReach(const RECT& r) {
    static constexpr LONG kFar = 1 << 28;
    const auto edge = [](LONG v) { return std::clamp<LONG>(v, -kFar, kFar); };
    return RECT{edge(r.left), edge(r.top), edge(r.right), edge(r.bottom)};
}
inline QRect ToQRect(const RECT& rect) {
    const RECT r = WithinReach(rect);
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline RECT FromQRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
inline QString ToQ(const std::string& s) {
    return QString::fromUtf8(s.data(), (qsizetype)s.size());
}
inline std::string FromQ(const QString& s) {
    return s.toUtf8().toStdString();
}

// An image that device contexts draw on. One painter per image, shared by every DC on
// it; `owner` is the DC whose state the painter carries now, so switching between
// two DCs on one image reloads state once instead of per call.
//
// A window's back buffer has the screen's device-pixel ratio: its image holds ratio x ratio
// device pixels per logical pixel, and the painter scales, so coordinates stay logical.
// A bitmap made compatible with a DC takes that DC's ratio (so double buffers drawn for a
// window stay sharp when blitted to it); loaded bitmaps and DIB sections have ratio 1.
// Source rectangles of blits are logical and scaled by Device().
struct Surface {
    QImage image;
    QPainter painter;
    const void* owner = nullptr;
    // bumped whenever the image may have been drawn on: derived images (colour-keyed
    // copies for TransparentBlt) are rebuilt only when it moved
    quint64 version = 0;
    struct Keyed {
        QRgb key = 0;
        quint64 version = ~0ull;
        qint64 cacheKey = 0;
        QImage image;
    } keyed;
    explicit Surface(QImage img) : image(std::move(img)) {}
    qreal Ratio() const { return image.devicePixelRatio(); }
    QSize Size() const { return image.deviceIndependentSize().toSize(); }  // logical
    QRectF Device(const QRect& logical) const {
        const qreal r = Ratio();
        return QRectF(logical.x() * r, logical.y() * r, logical.width() * r,
                      logical.height() * r);
    }
    // the picture at one pixel per logical pixel, for consumers that take pixels as logical
    // (image lists, icons, carets, pattern brushes); the image itself where the ratio is 1
    QImage Logical() const {
        if (Ratio() == 1.0) return image;
        QImage out = image.scaled(Size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        out.setDevicePixelRatio(1.0);
        return out;
    }
    QPoint DevicePoint(const QPoint& logical) const {
        const qreal r = Ratio();
        return QPoint(int(logical.x() * r), int(logical.y() * r));
    }
    ~Surface() { End(); }
    QPainter& Begin() {
        ++version;
        if (!painter.isActive()) {
            painter.begin(&image);
            owner = nullptr;
        }
        return painter;
    }
    void End() {
        if (painter.isActive()) painter.end();
        owner = nullptr;
    }
};
std::shared_ptr<Surface> MakeSurface(int w, int h, QImage::Format f = QImage::Format_RGB32,
                                     QRgb fill = 0xff000000);
// w x h logical pixels at a device-pixel ratio: ceil(w * ratio) x ceil(h * ratio) pixels
std::shared_ptr<Surface> MakeSurfaceAt(int w, int h, qreal ratio);

struct RegionData {
    QRegion region;
};

struct PathData {
    QPainterPath path;
    bool newFigure = true;  // the next added segment begins a figure of its own
};

struct ImageData {
    QImage image;
};

QFont FontFromLogFont(const LOGFONT& lf);  // SameFont compares the fields it reads
// The faces the program names and the installed face that draws each; a face of the table
// (any case) gives its installed face, another face itself.
const std::vector<std::pair<QString, QString>>& FaceSubstitutions();
QString InstalledFamily(const QString& face);
// Decodes image bytes: 8-bit grey and colour PNGs and XPMs here, to the toolkit's pixels
// (its reader loads every image plug-in it has the first time it is asked); the rest through
// the toolkit, named from their first bytes where it reads them itself.
bool LoadImageBytes(QImage& image, const unsigned char* data, size_t size);
LOGFONT DefaultLogFont();

// What the glyphs of a text cover, pixel by pixel, as the toolkit's raster engine blends
// them with the left end of the baseline on a whole pixel: coverage 0..255. The engine
// blends glyph after glyph, so glyphs that share a pixel go into layers of their own,
// applied in order; glyphs apart share one.
struct TextMask {
    struct Layer {
        QRect rect;                   // relative to the left end of the baseline
        std::vector<uchar> coverage;  // rect.width() values a row
    };
    std::vector<Layer> layers;
    size_t Bytes() const {
        size_t n = 0;
        for (const Layer& l : layers) n += l.coverage.size();
        return n;
    }
};

// Text shaped once and drawn many times: chart labels and tool figures repeat the same few
// strings at every paint, and laying text out anew is most of what drawing it costs.
struct ShapedText {
    int width = 0;  // the font metrics' advance of the whole text
    bool shaped = false;  // runs were built (on the first drawing; measuring alone needs none)
    bool runsDrawable = false;  // the runs show the text exactly; else it is drawn afresh
    QList<QGlyphRun> runs;  // glyph positions relative to the left end of the baseline
    QRectF ink;             // what the runs' glyphs cover, from the same origin
    // the runs' mask, made once the text was drawn a few times straight into an image (a
    // mask costs a few drawings through the painter: texts drawn once or twice, such as
    // values changing while the chart scrolls, are not worth one)
    enum class Mask : uchar { NotMade, Made, None } maskState = Mask::NotMade;
    uchar draws = 0;  // drawings that asked for the mask, up to the number that makes it
    TextMask mask;
};

// The shaped texts of one font on one thread, the least recently used dropped beyond a
// bound. Every DC holds the set of its selected font; a DC used from another thread than
// the one that made the set takes the set of that thread instead (glyph runs hold the
// thread's font engines).
class FontShapes {
public:
    explicit FontShapes(const QFont& font)
        : m_font(font), m_metrics(font), m_thread(std::this_thread::get_id()),
          m_ascent(m_metrics.ascent()), m_height(m_metrics.height()) {}
    bool OnThisThread() const { return m_thread == std::this_thread::get_id(); }
    const QFont& Font() const { return m_font; }
    const QFontMetrics& Metrics() const { return m_metrics; }
    int Ascent() const { return m_ascent; }
    int Height() const { return m_height; }
    // The entry of text, made (measured) if it is not there; drawing asks for the runs.
    const ShapedText& Get(const QString& text, bool forDrawing);
    // The same by the text's UTF-8 bytes, which a repeated text needs no conversion to find;
    // *text is set to the entry's text.
    const ShapedText& GetUtf8(const std::string& bytes, bool forDrawing, const QString** text);
    // The mask of a drawable entry's runs for one drawing; null where there is none (not
    // yet, see kDrawsBeforeMask; the glyphs are not plain coverage; the text is too large).
    const TextMask* Mask(const ShapedText& shaped);
    static constexpr int kCapacity = 512;
    static constexpr size_t kMaskBytes = 512 * 1024;  // of all the masks kept for the font
    static constexpr int kDrawsBeforeMask = 2;  // drawings through the painter first

private:
    struct Entry {
        QString text;
        ShapedText shaped;
        std::string utf8;  // the bytes it is found by besides its text, if any
        bool byUtf8 = false;
    };
    using Iter = std::list<Entry>::iterator;
    Iter Find(const QString& text);
    QFont m_font;
    QFontMetrics m_metrics;
    std::thread::id m_thread;
    int m_ascent, m_height;
    std::list<Entry> m_order;  // most recently used first
    QHash<QString, Iter> m_index;
    std::unordered_map<std::string, Iter> m_utf8;
    size_t m_maskBytes = 0;
};
// The shapes of font on the calling thread (a bounded set of fonts per thread).
std::shared_ptr<FontShapes> ShapesForFont(const QFont& font);
// The font a LOGFONT makes and its shapes on the calling thread, the last few kept.
struct LogFontChoice {
    QFont font;
    std::shared_ptr<FontShapes> shapes;
};
const LogFontChoice& FontForLogFont(const LOGFONT& lf);
// Whether two LOGFONTs make the same font.
bool SameFont(const LOGFONT& a, const LOGFONT& b);
// Whether the raster engine blends glyphs as text masks are blended (TextShapes.cpp).
bool GlyphBlendingAsMasks();
// Whether drawing takes its shortcuts (shaped-text cache, batched and filled lines).
bool DrawingShortcuts();

// What the line writer of DrawSegments derives from a DC's image and clip, kept while
// those stay: figures draw hundreds of short runs of lines under one clip.
// The DC's clip as rectangles inside its image (device coordinates), with their bounding
// box, for what is written straight into the image (lines, arcs, text). Made again when the
// clip, the base or the image's size changed, found by comparing them.
struct ImageClip {
    bool valid = false, hasBase = false, hasClip = false;
    QRegion base, clip;
    QSize size;  // of the image
    std::vector<QRect> rects;
    QRect bounds;
};

struct DCState {
    std::shared_ptr<Surface> surface;
    CWnd* wnd = nullptr;
    bool memory = false;
    CPen* pen = nullptr;
    CBrush* brush = nullptr;
    CFont* font = nullptr;
    CBitmap* bitmap = nullptr;
    // what the selected pen and brush were made as: a change of raster mode rebuilds from
    // these, since the objects themselves may be gone while still selected
    CPen penSpec;
    CBrush brushSpec;
    QPen qpen;
    QBrush qbrush;
    QFont qfont;
    std::unique_ptr<QFontMetrics> metrics;
    int fontAscent = 0, fontHeight = 0;  // of metrics, asked at every text call
    std::shared_ptr<FontShapes> shapes;   // of qfont; see Shapes()
    LOGFONT logFont;                      // what qfont was made from, when logFontKnown
    bool logFontKnown = false;
    ImageClip imageClip;  // see ClipInImage
    const ImageClip& ClipInImage();  // needs the surface
    COLORREF text = 0, bk = RGB(255, 255, 255);
    int bkMode = OPAQUE, rop = R2_COPYPEN, fillMode = ALTERNATE, stretchMode = COLORONCOLOR;
    UINT textAlign = 0;
    QPoint org, cur;
    bool hasClip = false;
    QRegion clip;  // device coordinates
    bool hasBase = false;
    QRegion base;  // window DCs: the client area or the update region
    struct Saved {
        CPen* pen;
        CBrush* brush;
        CFont* font;
        CPen penSpec;
        CBrush brushSpec;
        QPen qpen;
        QBrush qbrush;
        QFont qfont;
        COLORREF text, bk;
        int bkMode, rop, fillMode;
        UINT textAlign;
        QPoint org, cur;
        bool hasClip;
        QRegion clip;
    };
    std::vector<Saved> saved;
    // recently built pens and brushes: code that switches between a few colours per
    // shape (candles) would otherwise build one for every shape
    struct PenKey {
        int style, width;
        COLORREF color;
        int rop;
        QPen pen;
    };
    struct BrushKey {
        int style, hatch;
        COLORREF color;
        int rop;
        const void* pattern;
        QBrush brush;
    };
    PenKey penCache[4] = {};
    BrushKey brushCache[4] = {};
    int penNext = 0, brushNext = 0;

    void SetSurface(std::shared_ptr<Surface> s);
    QPainter* P();  // painter with this DC's state, or null without an image
    void Invalidate() {
        if (surface && surface->owner == this) surface->owner = nullptr;
    }
    void ApplyClip(QPainter& p);
    QRegion EffectiveClip() const;  // device coordinates; null region = unclipped
    bool Clipped() const { return hasClip || hasBase; }
    void SetPen(const CPen& pen);
    void SetBrush(const CBrush& brush);
    void BuildPen(const CPen& pen);
    void BuildBrush(const CBrush& brush);
    void SetFont(const LOGFONT& lf);
    void FontChanged();  // qfont was set: metrics and shapes follow
    FontShapes& Shapes();
    QPainter::CompositionMode Composition() const;
    QColor PenColor(COLORREF c) const;
    void MarkDirty(const QRect& deviceRect);
    // Gaps of styled pens and hatches take the background colour only in opaque mode;
    // the toolkit strokes differently in that mode, so it is switched on only for them.
    void Background(QPainter& p, const QPen* pen, const QBrush* brush) const;
    ~DCState();
};

class Hook;
class TimerHost;

// A registered window class; windows hold it for life, so unregistering the name leaves
// their traits as they were.
struct WndClassRecord {
    std::string name;
    std::atomic<UINT> style{0};
    HCURSOR cursor = nullptr;
    COLORREF background = CLR_INVALID;
    bool predefined = false;
};
// The class registered under name (case-insensitive), or null.
std::shared_ptr<WndClassRecord> FindWndClass(const char* name);
// The class a native control's widget belongs to ("Edit" for a line edit, ...), or null.
std::shared_ptr<WndClassRecord> NativeWndClass(const QWidget* widget);

struct WndPrivate {
    CWnd* q = nullptr;
    QPointer<QWidget> widget;
    bool native = false;
    std::shared_ptr<Surface> buffer;  // the persistent back-buffer (own windows)
    QRegion invalid;                  // waiting for WM_PAINT
    bool erase = false;
    QRegion paintRegion;  // during WM_PAINT
    bool inPaint = false;
    bool paintBegun = false;  // a CPaintDC took the update region in this WM_PAINT
    bool destroying = false;  // DestroyWindow is sending the destruction messages
    COLORREF background = RGB(255, 255, 255);
    bool backgroundSet = false;   // SetBackgroundColor was called: the class's colour yields
    bool eraseBackground = true;  // the default WM_ERASEBKGND paints (a class may have none)
    DWORD style = 0, exStyle = 0;
    std::shared_ptr<WndClassRecord> cls;  // set at creation
    UINT id = 0;
    CWnd* parent = nullptr;
    CWnd* owner = nullptr;
    std::vector<CWnd*> children;
    std::string text;
    CFont* font = nullptr;
    Hook* hook = nullptr;
    TimerHost* timers = nullptr;
    std::map<UINT_PTR, int> timerIds;  // window timer id -> toolkit timer id
    // current message, for Default()
    MSG cur{};
    QEvent* curEvent = nullptr;
    bool curEventDone = false;
    // mouse tracking
    DWORD trackFlags = 0;
    DWORD hoverTime = 400;
    bool inside = false;
    QPoint lastMouse;
    int hoverTimer = 0;
    // modal loop
    QEventLoop* loop = nullptr;
    int modalResult = -1;
    // layered window
    bool colorKeyOn = false;
    QImage layered;      // per-pixel alpha content set by UpdateLayeredWindow
    QMargins ncMargins;  // native controls: the non-client insets WM_NCCALCSIZE asked for
    COLORREF colorKey = 0;
    std::shared_ptr<std::atomic<bool>> alive = std::make_shared<std::atomic<bool>>(true);
    bool menuPopup = false;  // the layer's own popup menus
    bool fixedFrame = false;
    std::map<std::string, void*> props;  // keys in lower case
    LONG_PTR userData = 0;
    bool imePosSet = false;  // ImmSetCompositionWindow gave the input method a place
    QRect imeRect;
    bool composing = false;  // an input-method composition is under way  // a caption without a sizing border: the size is held
    // procedures put in front of WindowProc, oldest first
    std::vector<std::pair<int, std::shared_ptr<CWnd::WndProcHook>>> procHooks;
    int nextProcHook = 1;

    QWidget* ParentWidget() const;
    void EnsureBuffer(const QSize& size);  // logical size, at the widget's pixel ratio
    void BeginPaintMessage();
    void EndPaintMessage();
    void StartHoverTimer();
};

// The threading contract (UiThread.cpp). A scope of a UI-thread loop: exec, a modal or
// nested loop, a pump. Cross-thread sends are answered only while one runs.
class UiLoopScope {
public:
    UiLoopScope();
    ~UiLoopScope();
    UiLoopScope(const UiLoopScope&) = delete;
    UiLoopScope& operator=(const UiLoopScope&) = delete;
};
bool UiLoopRunning();
// A UI-thread call made from another thread: reported (and fatal in debug builds).
void UiThreadViolation(const char* call);
// False (after the report) when called off the UI thread: the call does nothing then.
inline bool CheckUiThread(const char* call) {
    if (IsUiThread() || !QCoreApplication::instance()) return true;
    UiThreadViolation(call);
    return false;
}
// The registry lookup without the thread check, for the calls that are safe anywhere.
CWnd* LookupWindow(HWND hwnd);
// SendMessage from a thread other than the UI thread.
LRESULT SendFromOtherThread(QObject* dispatcher, HWND hwnd, UINT msg, WPARAM wParam,
                            LPARAM lParam);

// dispatch of one message to a window, keeping the current message for Default()
LRESULT Dispatch(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam, QEvent* event = nullptr);
CWnd* WndFromWidget(const QWidget* w);  // the window whose widget is w or an ancestor of w
HWND RegisterWindow(CWnd* wnd);
void UnregisterWindow(HWND h);
std::vector<HWND> OwnedWindows(const CWnd* owner);  // top-level windows it owns, oldest first
void SetFocusWnd(CWnd* wnd);  // our focus bookkeeping with WM_KILLFOCUS/WM_SETFOCUS
void OnWindowDestroyed(CWnd* wnd);
void ReleaseWindow(CWnd* wnd);  // the end of DestroyWindow, after WM_NCDESTROY
void QueryMinMax(CWnd* wnd);
// The caret (Caret.cpp): drawn over the window when it is put on the screen.
void PaintCaret(CWnd* wnd, QPainter& p);
void CaretWindowGone(CWnd* wnd);
bool ImeCursorRect(const CWnd* wnd, QRect& out);  // false: no place known
// An input-method event as the WM_IME_* messages and WM_CHAR.
void InputMethodEvent(CWnd* wnd, const QString& preedit, const QString& commit);
void NativeNcCalc(CWnd* wnd);  // a native control's WM_NCCALCSIZE insets become its margins
// The styles that decide the system frame of a top-level window.
constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME;
constexpr DWORD kFrameExStyles = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;
// Gives a top-level window the system frame its styles ask for (WndFrame.cpp).
void ApplySystemFrame(CWnd* wnd);
// SWP_FRAMECHANGED: the frame from the styles, then WM_NCCALCSIZE and a repaint.
void FrameChanged(CWnd* wnd);
// Resizes the widget, also when its frame holds the size against the user.
void ResizeWidget(CWnd* wnd, int cx, int cy);
UINT KeyToVk(int qtKey, Qt::KeyboardModifiers mods);
int VkToQtKey(UINT vk);
// Key state (KeyState.cpp): what input events have said so far.
void UpdateKeyState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
void NoteKeyEvent(const QKeyEvent* ke);  // a key press or release on its way to a window
void ForgetKeysDown();                   // the application lost the keyboard
UINT MouseKeyFlags();
void ApplyCursorTo(CWnd* wnd);
bool MenuTrackingActive();
void CancelMenuTracking();
bool IsMenuWindow(const QWidget* w);
}  // namespace platform
