// Native controls over toolkit widgets.
#include "platform/Controls.h"

#include <QCalendarWidget>
#include <functional>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QAbstractScrollArea>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>

#include "platform/ControlsPrivate.h"
#include "platform/NativeInput.h"
#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
QDate ToQDate(const SYSTEMTIME* t) {
    return t ? QDate(t->wYear, t->wMonth, t->wDay) : QDate();
}
SYSTEMTIME FromQDate(const QDate& d) {
    SYSTEMTIME st{};
    st.wYear = (WORD)d.year();
    st.wMonth = (WORD)d.month();
    st.wDay = (WORD)d.day();
    st.wDayOfWeek = (WORD)(d.dayOfWeek() % 7);
    return st;
}
}  // namespace

BOOL CNativeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd || !parent || !parent->m_hWnd) return FALSE;
    d->native = true;
    CreateNative(style);
    if (!d->widget) return FALSE;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(d->widget.data())) {
        // scrolling repaints the control, so whoever watches its WM_PAINT sees the new
        // scroll state (a skinned frame mirrors it into its own bars)
        QWidget* w = area;
        for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()}) {
            QObject::connect(bar, &QScrollBar::valueChanged, w, [w] { w->update(); });
            QObject::connect(bar, &QScrollBar::rangeChanged, w, [w] { w->update(); });
        }
    }
    return CWnd::CreateEx(0, nullptr, "", style | WS_CHILD, rect, parent, id);
}

void CNativeCtrl::SetColors(COLORREF text, COLORREF bk) {
    if (!d->widget) return;
    QPalette pal = d->widget->palette();
    if (text != CLR_NONE)
        pal.setColor(QPalette::Text, ToQColor(text)),
            pal.setColor(QPalette::WindowText, ToQColor(text));
    if (bk != CLR_NONE)
        pal.setColor(QPalette::Base, ToQColor(bk)), pal.setColor(QPalette::Window, ToQColor(bk));
    d->widget->setPalette(pal);
}

void CNativeCtrl::Notify(UINT code) {
    if (!m_hWnd) return;
    if (CWnd* p = GetParent()) p->SendMessage(WM_COMMAND, MAKEWPARAM(d->id, code), (LPARAM)m_hWnd);
}
void CNativeCtrl::NotifyTextChange() {
    auto alive = d->alive;
    Notify(EN_UPDATE);
    if (*alive) Notify(EN_CHANGE);
}

LRESULT CNativeCtrl::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    QWidget* w = d->widget;
    if (!w) return CWnd::DefWindowProc(msg, wp, lp);
    // the widget's own handling of the event this message came from
    if (d->curEvent && !d->curEventDone) {
        d->curEventDone = true;
        if (msg == WM_CHAR) {
            if (auto* le = qobject_cast<QLineEdit*>(w)) {
                if (wp >= 32 && le->maxLength() > 0 && le->text().size() >= le->maxLength() &&
                    !le->hasSelectedText()) {
                    Notify(EN_MAXTEXT);
                    return 0;
                }
            }
        }
        if (msg == WM_CHAR && d->curEvent->type() == QEvent::KeyPress) {
            // the character a handler passes on is the one typed, whatever the key gave
            auto* ke = static_cast<QKeyEvent*>(d->curEvent);
            const char32_t c = (char32_t)wp;
            const QString one = QString::fromUcs4(&c, 1);
            if (ke->text() != one) {
                const int key = c == '\b'              ? Qt::Key_Backspace
                                : c == '\r'            ? Qt::Key_Return
                                : c == '\t'            ? Qt::Key_Tab
                                : c == 27              ? Qt::Key_Escape
                                : c >= 'a' && c <= 'z' ? int(c - 'a' + 'A')
                                : c >= 32 && c < 127   ? int(c)
                                                       : int(Qt::Key_unknown);
                QKeyEvent typed(QEvent::KeyPress, key, ke->modifiers(), one, ke->isAutoRepeat());
                static_cast<QObject*>(w)->event(&typed);
                return 0;
            }
        }
        if (NativeEventReceiver(d->curEvent)) {
            // a mouse event goes back to the widget it came to; a wheel the widget does not
            // use goes on to the parent, as any child window's does
            const bool taken = DeliverNativeDefault(this, d->curEvent);
            if (msg == WM_MOUSEWHEEL && !taken) return CWnd::DefWindowProc(msg, wp, lp);
            return 0;
        }
        static_cast<QObject*>(w)->event(d->curEvent);
        return 0;
    }
    switch (msg) {
        case WM_SETCURSOR:
            // the parent may choose; otherwise the control keeps its own cursor
            if ((d->style & WS_CHILD) && d->parent && d->parent->SendMessage(WM_SETCURSOR, wp, lp))
                return TRUE;
            UseNativeCursor();
            return TRUE;
        case WM_SETTEXT: {
            QString t = lp ? QString::fromUtf8(reinterpret_cast<const char*>(lp)) : QString();
            if (auto* le = qobject_cast<QLineEdit*>(w))
                le->setText(t);
            else if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
                pe->setPlainText(t);
            else if (auto* te = qobject_cast<QTextEdit*>(w))
                te->setPlainText(t);
            else if (auto* cb = qobject_cast<QComboBox*>(w)) {
                if (cb->isEditable()) cb->setEditText(t);
            } else
                return CWnd::DefWindowProc(msg, wp, lp);
            return TRUE;
        }
        case WM_GETTEXTLENGTH:
        case WM_GETTEXT: {
            QString t;
            if (auto* le = qobject_cast<QLineEdit*>(w))
                t = le->text();
            else if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
                t = pe->toPlainText();
            else if (auto* te = qobject_cast<QTextEdit*>(w))
                t = te->toPlainText();
            else if (auto* cb = qobject_cast<QComboBox*>(w))
                t = cb->currentText();
            else
                return CWnd::DefWindowProc(msg, wp, lp);
            QByteArray u = t.toUtf8();
            if (msg == WM_GETTEXTLENGTH) return u.size();
            if (!wp || !lp) return 0;
            size_t n = std::min<size_t>((size_t)u.size(), (size_t)wp - 1);
            memcpy(reinterpret_cast<char*>(lp), u.constData(), n);
            reinterpret_cast<char*>(lp)[n] = 0;
            return (LRESULT)n;
        }
        case WM_SETFOCUS:
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                qobject_cast<QTextEdit*>(w))
                Notify(EN_SETFOCUS);
            else if (qobject_cast<QComboBox*>(w))
                Notify(CBN_SETFOCUS);
            else if (qobject_cast<QListWidget*>(w) && (d->style & LBS_NOTIFY))
                Notify(LBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                qobject_cast<QTextEdit*>(w))
                Notify(EN_KILLFOCUS);
            else if (qobject_cast<QComboBox*>(w))
                Notify(CBN_KILLFOCUS);
            else if (qobject_cast<QListWidget*>(w) && (d->style & LBS_NOTIFY))
                Notify(LBN_KILLFOCUS);
            return 0;
        case WM_STYLECHANGED:
            // an edit takes up the ES_* bits set or cleared after its creation
            if ((LONG_PTR)wp == GWL_STYLE) {
                const DWORD now = reinterpret_cast<const STYLESTRUCT*>(lp)->styleNew;
                if (auto* le = qobject_cast<QLineEdit*>(w)) {
                    le->setReadOnly(now & ES_READONLY);
                    if (!!(now & ES_PASSWORD) != (le->echoMode() == QLineEdit::Password))
                        le->setEchoMode((now & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
                    if (!(now & ES_NUMBER))
                        le->setValidator(nullptr);
                    else if (!le->validator())
                        le->setValidator(new QRegularExpressionValidator(
                            QRegularExpression(QStringLiteral("[0-9]*")), le));
                } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
                    pe->setReadOnly(now & ES_READONLY);
                } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
                    te->setReadOnly(now & ES_READONLY);
                }
            }
            return 0;
        case WM_VSCROLL:
        case WM_HSCROLL:
            // a scroll area moves as its own bar would
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
                QScrollBar* bar =
                    msg == WM_VSCROLL ? area->verticalScrollBar() : area->horizontalScrollBar();
                switch (LOWORD(wp)) {
                    case SB_LINEUP:
                        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
                        break;
                    case SB_LINEDOWN:
                        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                        break;
                    case SB_PAGEUP:
                        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
                        break;
                    case SB_PAGEDOWN:
                        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                        break;
                    case SB_TOP:
                        bar->triggerAction(QAbstractSlider::SliderToMinimum);
                        break;
                    case SB_BOTTOM:
                        bar->triggerAction(QAbstractSlider::SliderToMaximum);
                        break;
                    case SB_THUMBTRACK:
                    case SB_THUMBPOSITION:
                        bar->setValue((short)HIWORD(wp));
                        break;
                    default:
                        break;
                }
                return 0;
            }
            return CWnd::DefWindowProc(msg, wp, lp);
        case WM_SETFONT: {
            auto* f = reinterpret_cast<CFont*>(wp);
            if (f && f->m_created) w->setFont(FontFromLogFont(f->m_lf));
            return CWnd::DefWindowProc(msg, wp, lp);
        }
        case WM_PAINT:
        case WM_ERASEBKGND:
            return 0;
        case EM_SETBKGNDCOLOR:
            if (auto* re = dynamic_cast<CRichEditCtrl*>(this))
                return (LRESULT)re->SetBackgroundColor((BOOL)wp, (COLORREF)lp);
            return CWnd::DefWindowProc(msg, wp, lp);
        default: {
            LRESULT result = 0;
            if (ControlMessage(this, msg, wp, lp, result)) return result;
            return CWnd::DefWindowProc(msg, wp, lp);
        }
    }
}

// ---- CEdit ----
void CEdit::CreateNative(DWORD style) {
    if (style & ES_MULTILINE) {
        auto* pe = new QPlainTextEdit();
        pe->setReadOnly(style & ES_READONLY);
        if (!(style & WS_VSCROLL)) pe->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        if (!(style & WS_HSCROLL)) pe->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QObject::connect(pe, &QPlainTextEdit::textChanged, pe, [this] { NotifyTextChange(); });
        d->widget = pe;
    } else {
        auto* le = new QLineEdit();
        le->setFrame(style & WS_BORDER);
        le->setReadOnly(style & ES_READONLY);
        if (style & ES_PASSWORD) {
            le->setEchoMode(QLineEdit::Password);
            m_passwordChar = '*';
        }
        if (style & ES_CENTER)
            le->setAlignment(Qt::AlignCenter);
        else if (style & ES_RIGHT)
            le->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (style & ES_NUMBER)
            le->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), le));
        QObject::connect(le, &QLineEdit::textChanged, le, [this] { NotifyTextChange(); });
        d->widget = le;
    }
    d->widget->setFocusPolicy(Qt::StrongFocus);
}
void CEdit::SetLimitText(UINT max) {
    if (auto* le = As<QLineEdit>(this))
        le->setMaxLength(max == 0 ? 32767 : (int)std::min<UINT>(max, 0x7fffffff));
}
UINT CEdit::GetLimitText() const {
    auto* le = As<QLineEdit>(this);
    return le ? (UINT)le->maxLength() : 0;
}
void CEdit::SetSel(int start, int end, BOOL) {
    if (auto* le = As<QLineEdit>(this)) {
        int len = (int)le->text().size();
        if (start == -1) {
            le->deselect();
            return;
        }
        if (end < 0 || end > len) end = len;
        le->setSelection(start, end - start);
    } else if (auto* pe = As<QPlainTextEdit>(this)) {
        QTextCursor c = pe->textCursor();
        int len = pe->document()->characterCount() - 1;
        if (end < 0 || end > len) end = len;
        c.setPosition(std::clamp(start, 0, len));
        c.setPosition(std::clamp(end, 0, len), QTextCursor::KeepAnchor);
        pe->setTextCursor(c);
    }
}
void CEdit::GetSel(int& start, int& end) const {
    start = end = 0;
    if (auto* le = As<QLineEdit>(this)) {
        if (le->hasSelectedText()) {
            start = le->selectionStart();
            end = le->selectionEnd();
        } else
            start = end = le->cursorPosition();
    } else if (auto* pe = As<QPlainTextEdit>(this)) {
        start = pe->textCursor().selectionStart();
        end = pe->textCursor().selectionEnd();
    }
}
void CEdit::ReplaceSel(const char* text, BOOL) {
    QString t = QString::fromUtf8(text ? text : "");
    if (auto* le = As<QLineEdit>(this))
        le->insert(t);
    else if (auto* pe = As<QPlainTextEdit>(this))
        pe->insertPlainText(t);
}
BOOL CEdit::SetReadOnly(BOOL ro) {
    if (auto* le = As<QLineEdit>(this))
        le->setReadOnly(ro);
    else if (auto* pe = As<QPlainTextEdit>(this))
        pe->setReadOnly(ro);
    else
        return FALSE;
    if (ro)
        d->style |= ES_READONLY;
    else
        d->style &= ~ES_READONLY;
    return TRUE;
}
void CEdit::SetPasswordChar(char ch) {
    m_passwordChar = ch;
    if (auto* le = As<QLineEdit>(this))
        le->setEchoMode(ch ? QLineEdit::Password : QLineEdit::Normal);
}
int CEdit::GetLineCount() const {
    if (auto* pe = As<QPlainTextEdit>(this)) return pe->document()->blockCount();
    return 1;
}
void CEdit::Clear() {
    if (auto* le = As<QLineEdit>(this))
        le->del();
    else if (auto* pe = As<QPlainTextEdit>(this))
        pe->textCursor().removeSelectedText();
}
void CEdit::Copy() {
    if (auto* le = As<QLineEdit>(this))
        le->copy();
    else if (auto* pe = As<QPlainTextEdit>(this))
        pe->copy();
}
void CEdit::Cut() {
    if (auto* le = As<QLineEdit>(this))
        le->cut();
    else if (auto* pe = As<QPlainTextEdit>(this))
        pe->cut();
}
void CEdit::Paste() {
    if (auto* le = As<QLineEdit>(this))
        le->paste();
    else if (auto* pe = As<QPlainTextEdit>(this))
        pe->paste();
}
BOOL CEdit::Undo() {
    if (auto* le = As<QLineEdit>(this)) {
        bool can = le->isUndoAvailable();
        le->undo();
        return can;
    }
    if (auto* pe = As<QPlainTextEdit>(this)) {
        pe->undo();
        return TRUE;
    }
    return FALSE;
}

// ---- CRichEditCtrl ----
void CRichEditCtrl::CreateNative(DWORD style) {
    auto* te = new QTextEdit();
    te->setAcceptRichText(true);
    te->setReadOnly(style & ES_READONLY);
    te->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(te, &QTextEdit::textChanged, te, [this] { NotifyTextChange(); });
    d->widget = te;
}
void CRichEditCtrl::SetSel(int start, int end) {
    auto* te = As<QTextEdit>(this);
    if (!te) return;
    QTextCursor c = te->textCursor();
    int len = te->document()->characterCount() - 1;
    if (end < 0 || end > len) end = len;
    c.setPosition(std::clamp(start, 0, len));
    c.setPosition(std::clamp(end, 0, len), QTextCursor::KeepAnchor);
    te->setTextCursor(c);
}
void CRichEditCtrl::GetSel(int& start, int& end) const {
    auto* te = As<QTextEdit>(this);
    start = te ? te->textCursor().selectionStart() : 0;
    end = te ? te->textCursor().selectionEnd() : 0;
}
void CRichEditCtrl::ReplaceSel(const char* text, BOOL) {
    if (auto* te = As<QTextEdit>(this)) te->insertPlainText(QString::fromUtf8(text ? text : ""));
}
BOOL CRichEditCtrl::SetReadOnly(BOOL ro) {
    auto* te = As<QTextEdit>(this);
    if (!te) return FALSE;
    te->setReadOnly(ro);
    return TRUE;
}
void CRichEditCtrl::LimitText(int max) {
    auto* te = As<QTextEdit>(this);
    if (!te) return;
    QObject::disconnect(te, &QTextEdit::textChanged, te, nullptr);
    QObject::connect(te, &QTextEdit::textChanged, te, [this, te, max] {
        if (max > 0 && te->toPlainText().size() > max) {
            QTextCursor c = te->textCursor();
            c.movePosition(QTextCursor::End);
            c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor,
                           (int)te->toPlainText().size() - max);
            c.removeSelectedText();
            Notify(EN_MAXTEXT);
            return;
        }
        NotifyTextChange();
    });
}
int CRichEditCtrl::GetLineCount() const {
    auto* te = As<QTextEdit>(this);
    return te ? te->document()->blockCount() : 0;
}
COLORREF CRichEditCtrl::SetBackgroundColor(BOOL useSystem, COLORREF c) {
    const COLORREF old =
        d->widget ? FromQRgb(d->widget->palette().color(QPalette::Base).rgb()) : RGB(255, 255, 255);
    SetColors(CLR_NONE, useSystem ? RGB(255, 255, 255) : c);
    return old;
}
void CRichEditCtrl::SetDefaultCharFormat(COLORREF color, int px, const char* face, BOOL all) {
    auto* te = As<QTextEdit>(this);
    if (!te) return;
    QTextCharFormat f;
    f.setForeground(ToQColor(color));
    if (px > 0) {
        QFont fnt = te->font();
        fnt.setPixelSize(px);
        f.setFont(fnt, QTextCharFormat::FontPropertiesSpecifiedOnly);
    }
    if (face && *face) f.setFontFamilies({QString::fromUtf8(face)});
    te->mergeCurrentCharFormat(f);
    if (all) {
        QTextCursor c(te->document());
        c.select(QTextCursor::Document);
        c.mergeCharFormat(f);
    }
}
std::string CRichEditCtrl::GetSelText() const {
    auto* te = As<QTextEdit>(this);
    return te ? FromQ(te->textCursor().selectedText()) : std::string();
}

// ---- CComboBox ----
namespace {
// The combo box widget tells when its list opens and closes, whoever opens it.
class DropDownCombo : public QComboBox {
public:
    std::function<void(UINT)> notify;
    bool open = false;
    void showPopup() override {
        if (!open && notify) notify(CBN_DROPDOWN);
        open = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (open && notify) {
            open = false;
            notify(CBN_CLOSEUP);
        }
        open = false;
    }
};
}  // namespace

void CComboBox::CreateNative(DWORD style) {
    auto* cb = new DropDownCombo();
    // the list may close while the window is being destroyed: only the CWnd part is
    // asked then, and a window already gone tells nothing
    cb->notify = [self = static_cast<CWnd*>(this), alive = d->alive](UINT code) {
        if (!*alive || !self->m_hWnd) return;
        if (CWnd* p = self->GetParent())
            p->SendMessage(WM_COMMAND, MAKEWPARAM(self->GetDlgCtrlID(), code), (LPARAM)self->m_hWnd);
    };
    cb->setEditable((style & 3) == CBS_DROPDOWN);
    cb->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(cb, QOverload<int>::of(&QComboBox::activated), cb,
                     [this] { Notify(CBN_SELCHANGE); });
    QObject::connect(cb, &QComboBox::editTextChanged, cb, [this, cb] {
        if (cb->isEditable()) Notify(CBN_EDITCHANGE);
    });
    d->widget = cb;
}
int CComboBox::AddString(const char* text) {
    auto* cb = As<QComboBox>(this);
    if (!cb) return CB_ERR;
    cb->addItem(QString::fromUtf8(text ? text : ""));
    if (cb->count() == 1) cb->setCurrentIndex(-1);
    return cb->count() - 1;
}
int CComboBox::InsertString(int index, const char* text) {
    auto* cb = As<QComboBox>(this);
    if (!cb) return CB_ERR;
    int at = index < 0 || index > cb->count() ? cb->count() : index;
    int cur = cb->currentIndex();
    cb->insertItem(at, QString::fromUtf8(text ? text : ""));
    if (cur < 0) cb->setCurrentIndex(-1);
    return at;
}
int CComboBox::DeleteString(UINT index) {
    auto* cb = As<QComboBox>(this);
    if (!cb || (int)index >= cb->count()) return CB_ERR;
    cb->removeItem((int)index);
    return cb->count();
}
void CComboBox::ResetContent() {
    if (auto* cb = As<QComboBox>(this)) cb->clear();
}
int CComboBox::GetCount() const {
    auto* cb = As<QComboBox>(this);
    return cb ? cb->count() : CB_ERR;
}
int CComboBox::GetCurSel() const {
    auto* cb = As<QComboBox>(this);
    return cb && cb->currentIndex() >= 0 ? cb->currentIndex() : CB_ERR;
}
int CComboBox::SetCurSel(int index) {
    auto* cb = As<QComboBox>(this);
    if (!cb) return CB_ERR;
    if (index < 0 || index >= cb->count()) {
        cb->setCurrentIndex(-1);
        return CB_ERR;
    }
    QSignalBlocker block(cb);
    cb->setCurrentIndex(index);
    return index;
}
int CComboBox::GetLBText(int index, std::string& text) const {
    auto* cb = As<QComboBox>(this);
    if (!cb || index < 0 || index >= cb->count()) {
        text.clear();
        return CB_ERR;
    }
    text = FromQ(cb->itemText(index));
    return (int)text.size();
}
int CComboBox::SetItemData(int index, DWORD_PTR_T data) {
    auto* cb = As<QComboBox>(this);
    if (!cb || index < 0 || index >= cb->count()) return CB_ERR;
    cb->setItemData(index, QVariant::fromValue<quintptr>(data));
    return 0;
}
DWORD_PTR_T CComboBox::GetItemData(int index) const {
    auto* cb = As<QComboBox>(this);
    if (!cb || index < 0 || index >= cb->count()) return (DWORD_PTR_T)CB_ERR;
    return cb->itemData(index).value<quintptr>();
}
int CComboBox::FindStringExact(int start, const char* text) const {
    auto* cb = As<QComboBox>(this);
    if (!cb || !text) return CB_ERR;
    QString t = QString::fromUtf8(text);
    int n = cb->count();
    for (int k = 1; k <= n; ++k) {
        int i = (start + k + n) % n;
        if (start < 0) i = k - 1;
        if (cb->itemText(i).compare(t, Qt::CaseInsensitive) == 0) return i;
    }
    return CB_ERR;
}
int CComboBox::SelectString(int start, const char* text) {
    auto* cb = As<QComboBox>(this);
    if (!cb || !text) return CB_ERR;
    QString t = QString::fromUtf8(text);
    for (int i = std::max(0, start + 1); i < cb->count(); ++i)
        if (cb->itemText(i).startsWith(t, Qt::CaseInsensitive)) return SetCurSel(i);
    return CB_ERR;
}
void CComboBox::ShowDropDown(BOOL show) {
    auto* cb = As<QComboBox>(this);
    if (!cb) return;
    // the widget says CBN_DROPDOWN and CBN_CLOSEUP itself
    if (show)
        cb->showPopup();
    else
        cb->hidePopup();
}
BOOL CComboBox::GetDroppedState() const {
    auto* cb = As<QComboBox>(this);
    return cb && cb->view() && cb->view()->isVisible();
}

// ---- CListBox ----
void CListBox::CreateNative(DWORD style) {
    auto* lw = new QListWidget();
    lw->setSelectionMode((style & LBS_MULTIPLESEL) ? QAbstractItemView::MultiSelection
                                                   : QAbstractItemView::SingleSelection);
    lw->setFocusPolicy(Qt::StrongFocus);
    if (style & LBS_NOTIFY) {
        // the program's own changes block the signals: only the user's selection notifies
        QObject::connect(lw, &QListWidget::itemSelectionChanged, lw,
                         [this] { Notify(LBN_SELCHANGE); });
        QObject::connect(lw, &QListWidget::itemDoubleClicked, lw, [this] { Notify(LBN_DBLCLK); });
    }
    d->widget = lw;
}
int CListBox::AddString(const char* text) {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    QSignalBlocker block(lw);
    lw->addItem(QString::fromUtf8(text ? text : ""));
    return lw->count() - 1;
}
int CListBox::InsertString(int index, const char* text) {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    QSignalBlocker block(lw);
    int at = index < 0 || index > lw->count() ? lw->count() : index;
    lw->insertItem(at, QString::fromUtf8(text ? text : ""));
    return at;
}
int CListBox::DeleteString(UINT index) {
    auto* lw = As<QListWidget>(this);
    if (!lw || (int)index >= lw->count()) return LB_ERR;
    QSignalBlocker block(lw);
    delete lw->takeItem((int)index);
    return lw->count();
}
void CListBox::ResetContent() {
    if (auto* lw = As<QListWidget>(this)) {
        QSignalBlocker block(lw);
        lw->clear();
    }
}
int CListBox::GetCount() const {
    auto* lw = As<QListWidget>(this);
    return lw ? lw->count() : LB_ERR;
}
int CListBox::GetCurSel() const {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    auto sel = lw->selectedItems();
    return sel.isEmpty() ? LB_ERR : lw->row(sel.first());
}
int CListBox::SetCurSel(int index) {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    QSignalBlocker block(lw);
    lw->clearSelection();
    if (index < 0 || index >= lw->count()) return LB_ERR;
    lw->setCurrentRow(index);
    lw->item(index)->setSelected(true);
    return index;
}
int CListBox::GetText(int index, std::string& text) const {
    auto* lw = As<QListWidget>(this);
    if (!lw || index < 0 || index >= lw->count()) {
        text.clear();
        return LB_ERR;
    }
    text = FromQ(lw->item(index)->text());
    return (int)text.size();
}
int CListBox::SetItemData(int index, DWORD_PTR_T data) {
    auto* lw = As<QListWidget>(this);
    if (!lw || index < 0 || index >= lw->count()) return LB_ERR;
    lw->item(index)->setData(Qt::UserRole, QVariant::fromValue<quintptr>(data));
    return 0;
}
DWORD_PTR_T CListBox::GetItemData(int index) const {
    auto* lw = As<QListWidget>(this);
    if (!lw || index < 0 || index >= lw->count()) return (DWORD_PTR_T)LB_ERR;
    return lw->item(index)->data(Qt::UserRole).value<quintptr>();
}
int CListBox::GetTopIndex() const {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    QListWidgetItem* it = lw->itemAt(2, 2);
    return it ? lw->row(it) : 0;
}
int CListBox::SetTopIndex(int index) {
    auto* lw = As<QListWidget>(this);
    if (!lw || index < 0 || index >= lw->count()) return LB_ERR;
    lw->scrollToItem(lw->item(index), QAbstractItemView::PositionAtTop);
    return 0;
}
int CListBox::GetSelCount() const {
    auto* lw = As<QListWidget>(this);
    return lw ? (int)lw->selectedItems().size() : LB_ERR;
}
int CListBox::SetSel(int index, BOOL select) {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    QSignalBlocker block(lw);
    if (index == -1) {
        for (int i = 0; i < lw->count(); ++i) lw->item(i)->setSelected(select);
        return 0;
    }
    if (index < 0 || index >= lw->count()) return LB_ERR;
    lw->item(index)->setSelected(select);
    return 0;
}

// ---- CDateTimeCtrl ----
void CDateTimeCtrl::CreateNative(DWORD) {
    auto* de = new QDateEdit();
    de->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    de->setCalendarPopup(true);
    de->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(de, &QDateEdit::dateChanged, de, [this](const QDate& date) {
        if (!m_hWnd) return;
        NMDATETIMECHANGE nm{};
        nm.nmhdr = NMHDR{m_hWnd, d->id, DTN_DATETIMECHANGE};
        nm.st = FromQDate(date);
        if (CWnd* p = GetParent()) p->SendMessage(WM_NOTIFY, d->id, (LPARAM)&nm);
    });
    d->widget = de;
}
BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* t) {
    auto* de = As<QDateEdit>(this);
    QDate date = ToQDate(t);
    if (!de || !date.isValid()) return FALSE;
    QSignalBlocker block(de);
    de->setDate(date);
    return de->date() == date;
}
DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* t) const {
    auto* de = As<QDateEdit>(this);
    if (!de || !t) return 1;
    *t = FromQDate(de->date());
    return 0;
}
BOOL CDateTimeCtrl::SetRange(const SYSTEMTIME* minT, const SYSTEMTIME* maxT) {
    auto* de = As<QDateEdit>(this);
    if (!de) return FALSE;
    if (minT) de->setMinimumDate(ToQDate(minT));
    if (maxT) de->setMaximumDate(ToQDate(maxT));
    return TRUE;
}
BOOL CDateTimeCtrl::SetFormat(const char* format) {
    auto* de = As<QDateEdit>(this);
    if (!de || !format) return FALSE;
    de->setDisplayFormat(QString::fromUtf8(format));
    return TRUE;
}

// ---- CMonthCalCtrl ----
void CMonthCalCtrl::CreateNative(DWORD) {
    auto* cal = new QCalendarWidget();
    cal->setFocusPolicy(Qt::StrongFocus);
    cal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto notify = [this, cal](UINT code) {
        if (!m_hWnd) return;
        NMSELCHANGE nm{};
        nm.nmhdr = NMHDR{m_hWnd, d->id, code};
        nm.stSelStart = nm.stSelEnd = FromQDate(cal->selectedDate());
        if (CWnd* p = GetParent()) p->SendMessage(WM_NOTIFY, d->id, (LPARAM)&nm);
    };
    QObject::connect(cal, &QCalendarWidget::selectionChanged, cal,
                     [notify] { notify(MCN_SELCHANGE); });
    QObject::connect(cal, &QCalendarWidget::activated, cal, [notify] { notify(MCN_SELECT); });
    d->widget = cal;
}
BOOL CMonthCalCtrl::SetCurSel(const SYSTEMTIME* t) {
    auto* cal = As<QCalendarWidget>(this);
    QDate date = ToQDate(t);
    if (!cal || !date.isValid()) return FALSE;
    QSignalBlocker block(cal);
    cal->setSelectedDate(date);
    return cal->selectedDate() == date;
}
BOOL CMonthCalCtrl::GetCurSel(SYSTEMTIME* t) const {
    auto* cal = As<QCalendarWidget>(this);
    if (!cal || !t) return FALSE;
    *t = FromQDate(cal->selectedDate());
    return TRUE;
}
BOOL CMonthCalCtrl::SetRange(const SYSTEMTIME* minT, const SYSTEMTIME* maxT) {
    auto* cal = As<QCalendarWidget>(this);
    if (!cal) return FALSE;
    if (minT) cal->setMinimumDate(ToQDate(minT));
    if (maxT) cal->setMaximumDate(ToQDate(maxT));
    return TRUE;
}

// ---- CProgressCtrl ----
void CProgressCtrl::CreateNative(DWORD) {
    auto* pb = new QProgressBar();
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    d->widget = pb;
}
void CProgressCtrl::SetRange32(int lower, int upper) {
    if (auto* pb = As<QProgressBar>(this)) pb->setRange(lower, std::max(lower, upper));
}
void CProgressCtrl::GetRange(int& lower, int& upper) const {
    auto* pb = As<QProgressBar>(this);
    lower = pb ? pb->minimum() : 0;
    upper = pb ? pb->maximum() : 0;
}
int CProgressCtrl::SetPos(int pos) {
    auto* pb = As<QProgressBar>(this);
    if (!pb) return 0;
    int old = std::max(pb->value(), pb->minimum());
    pb->setValue(std::clamp(pos, pb->minimum(), pb->maximum()));
    return old;
}
int CProgressCtrl::GetPos() const {
    auto* pb = As<QProgressBar>(this);
    return pb ? std::max(pb->value(), pb->minimum()) : 0;
}
int CProgressCtrl::OffsetPos(int delta) {
    return SetPos(GetPos() + delta);
}
int CProgressCtrl::SetStep(int step) {
    int o = m_step;
    m_step = step;
    return o;
}
int CProgressCtrl::StepIt() {
    auto* pb = As<QProgressBar>(this);
    if (!pb) return 0;
    int old = GetPos();
    int next = old + m_step;
    if (next > pb->maximum()) next = pb->minimum() + (next - pb->maximum()) - 1;
    if (next < pb->minimum()) next = pb->minimum();
    pb->setValue(next);
    return old;
}
