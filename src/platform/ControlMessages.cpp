// The classic messages of the native controls, and the members only they needed.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <cstring>

#include "platform/ControlsPrivate.h"

using namespace platform;

namespace {
// Copies text with its terminator into a caller's buffer of unknown size, as the classic
// messages do; returns the length without the terminator.
LRESULT CopyOut(const std::string& text, LPARAM buffer) {
    if (!buffer) return (LRESULT)text.size();
    memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
    return (LRESULT)text.size();
}
const char* Text(LPARAM lp) {
    return lp ? reinterpret_cast<const char*>(lp) : "";
}
QTextDocument* Document(const CWnd* w) {
    if (auto* pe = As<QPlainTextEdit>(w)) return pe->document();
    if (auto* te = As<QTextEdit>(w)) return te->document();
    return nullptr;
}
int CaretPosition(const CWnd* w) {
    if (auto* le = As<QLineEdit>(w)) return le->cursorPosition();
    if (auto* pe = As<QPlainTextEdit>(w)) return pe->textCursor().position();
    if (auto* te = As<QTextEdit>(w)) return te->textCursor().position();
    return 0;
}
// Finds in a list of texts from start + 1 on, wrapping, the first that equals text (exact)
// or starts with it, without regard to case; -1 for none.
int FindIn(const std::vector<QString>& items, int start, const char* text, bool exact) {
    if (!text) return -1;
    const QString t = QString::fromUtf8(text);
    const int n = (int)items.size();
    for (int k = 1; k <= n; ++k) {
        const int i = start < 0 || start >= n ? k - 1 : (start + k) % n;
        const bool hit = exact ? items[(size_t)i].compare(t, Qt::CaseInsensitive) == 0
                               : items[(size_t)i].startsWith(t, Qt::CaseInsensitive);
        if (hit) return i;
    }
    return -1;
}
std::vector<QString> ComboItems(const QComboBox* cb) {
    std::vector<QString> v;
    for (int i = 0; i < cb->count(); ++i) v.push_back(cb->itemText(i));
    return v;
}
std::vector<QString> ListItems(const QListWidget* lw) {
    std::vector<QString> v;
    for (int i = 0; i < lw->count(); ++i) v.push_back(lw->item(i)->text());
    return v;
}
}  // namespace

// ---- CEdit: lines, margins, modification, undo ----
int CEdit::LineFromChar(int charIndex) const {
    QTextDocument* doc = Document(this);
    if (!doc) return 0;
    if (charIndex < 0) charIndex = CaretPosition(this);
    QTextBlock b = doc->findBlock(std::clamp(charIndex, 0, doc->characterCount() - 1));
    return b.isValid() ? b.blockNumber() : doc->blockCount() - 1;
}
int CEdit::LineIndex(int line) const {
    QTextDocument* doc = Document(this);
    if (!doc) return line <= 0 ? 0 : -1;
    if (line < 0) line = LineFromChar(-1);
    QTextBlock b = doc->findBlockByNumber(line);
    return b.isValid() ? b.position() : -1;
}
int CEdit::LineLength(int charIndex) const {
    if (auto* le = As<QLineEdit>(this)) return (int)le->text().size();
    QTextDocument* doc = Document(this);
    if (!doc) return 0;
    if (charIndex < 0) charIndex = CaretPosition(this);
    QTextBlock b = doc->findBlock(std::clamp(charIndex, 0, doc->characterCount() - 1));
    return b.isValid() ? b.length() - 1 : 0;
}
std::string CEdit::GetLine(int line) const {
    if (auto* le = As<QLineEdit>(this)) return line == 0 ? FromQ(le->text()) : std::string();
    QTextDocument* doc = Document(this);
    QTextBlock b = doc ? doc->findBlockByNumber(line) : QTextBlock();
    return b.isValid() ? FromQ(b.text()) : std::string();
}
int CEdit::GetFirstVisibleLine() const {
    if (auto* pe = As<QPlainTextEdit>(this)) return pe->cursorForPosition(QPoint(2, 2)).blockNumber();
    return 0;
}
void CEdit::SetMargins(UINT left, UINT right) {
    if (auto* le = As<QLineEdit>(this))
        le->setTextMargins((int)left, 0, (int)right, 0);
    else if (QTextDocument* doc = Document(this))
        doc->setDocumentMargin(std::max(left, right));  // one margin for every side here
}
DWORD CEdit::GetMargins() const {
    if (auto* le = As<QLineEdit>(this)) {
        QMargins m = le->textMargins();
        return MAKELONG(m.left(), m.right());
    }
    return 0;
}
char CEdit::GetPasswordChar() const {
    auto* le = As<QLineEdit>(this);
    if (!le || le->echoMode() != QLineEdit::Password) return 0;
    return m_passwordChar ? m_passwordChar : '*';
}
BOOL CEdit::GetModify() const {
    if (auto* le = As<QLineEdit>(this)) return le->isModified();
    QTextDocument* doc = Document(this);
    return doc && doc->isModified();
}
void CEdit::SetModify(BOOL modified) {
    if (auto* le = As<QLineEdit>(this))
        le->setModified(modified);
    else if (QTextDocument* doc = Document(this))
        doc->setModified(modified);
}
BOOL CEdit::CanUndo() const {
    if (auto* le = As<QLineEdit>(this)) return le->isUndoAvailable();
    QTextDocument* doc = Document(this);
    return doc && doc->isUndoAvailable();
}
void CEdit::EmptyUndoBuffer() {
    if (auto* le = As<QLineEdit>(this)) {
        // the line edit keeps no separate history: setting its text again clears it
        const QString t = le->text();
        const int pos = le->cursorPosition();
        QSignalBlocker block(le);
        le->setText(t);
        le->setCursorPosition(pos);
    } else if (QTextDocument* doc = Document(this)) {
        doc->clearUndoRedoStacks();
    }
}

// ---- CComboBox and CListBox: searching ----
int CComboBox::GetLBTextLen(int index) const {
    std::string t;
    return GetLBText(index, t);
}
int CComboBox::FindString(int start, const char* prefix) const {
    auto* cb = As<QComboBox>(this);
    if (!cb) return CB_ERR;
    int i = FindIn(ComboItems(cb), start, prefix, false);
    return i < 0 ? CB_ERR : i;
}
BOOL CComboBox::LimitText(int max) {
    auto* cb = As<QComboBox>(this);
    if (!cb || !cb->lineEdit()) return FALSE;  // a drop-down list has no edit
    cb->lineEdit()->setMaxLength(max <= 0 ? 32767 : max);
    return TRUE;
}
int CListBox::GetSelItems(int max, int* items) const {
    auto* lw = As<QListWidget>(this);
    if (!lw || max < 0 || (max > 0 && !items)) return LB_ERR;
    int n = 0;
    for (int i = 0; i < lw->count() && n < max; ++i)
        if (lw->item(i)->isSelected()) items[n++] = i;
    return n;
}
int CListBox::GetSel(int index) const {
    auto* lw = As<QListWidget>(this);
    if (!lw || index < 0 || index >= lw->count()) return LB_ERR;
    return lw->item(index)->isSelected() ? 1 : 0;
}
int CListBox::GetTextLen(int index) const {
    std::string t;
    return GetText(index, t);
}
int CListBox::FindString(int start, const char* prefix) const {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    int i = FindIn(ListItems(lw), start, prefix, false);
    return i < 0 ? LB_ERR : i;
}
int CListBox::FindStringExact(int start, const char* text) const {
    auto* lw = As<QListWidget>(this);
    if (!lw) return LB_ERR;
    int i = FindIn(ListItems(lw), start, text, true);
    return i < 0 ? LB_ERR : i;
}
int CListBox::SelectString(int start, const char* text) {
    int i = FindString(start, text);
    return i < 0 ? LB_ERR : SetCurSel(i);
}

namespace platform {
namespace {
bool EditMessage(CEdit* e, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
    switch (msg) {
        case EM_GETSEL: {
            int s = 0, t = 0;
            e->GetSel(s, t);
            if (wp) *reinterpret_cast<DWORD*>(wp) = (DWORD)s;
            if (lp) *reinterpret_cast<DWORD*>(lp) = (DWORD)t;
            r = MAKELONG(std::min(s, 0xFFFF), std::min(t, 0xFFFF));
            return true;
        }
        case EM_SETSEL:
            e->SetSel((int)(LONG)wp, (int)(LONG)lp);
            return true;
        case EM_REPLACESEL:
            e->ReplaceSel(Text(lp), (BOOL)wp);
            return true;
        case EM_LIMITTEXT:
            e->SetLimitText((UINT)wp);
            return true;
        case EM_GETLIMITTEXT:
            r = e->GetLimitText();
            return true;
        case EM_SETREADONLY:
            r = e->SetReadOnly((BOOL)wp);
            return true;
        case EM_GETLINECOUNT:
            r = e->GetLineCount();
            return true;
        case EM_LINEFROMCHAR:
            r = e->LineFromChar((int)(LONG)wp);
            return true;
        case EM_LINEINDEX:
            r = e->LineIndex((int)(LONG)wp);
            return true;
        case EM_LINELENGTH:
            r = e->LineLength((int)(LONG)wp);
            return true;
        case EM_GETLINE: {
            if (!lp) return true;
            const std::string line = e->GetLine((int)wp);
            const size_t room = *reinterpret_cast<const WORD*>(lp);
            const size_t n = std::min(room, line.size());
            memcpy(reinterpret_cast<char*>(lp), line.data(), n);
            r = (LRESULT)n;
            return true;
        }
        case EM_GETFIRSTVISIBLELINE:
            r = e->GetFirstVisibleLine();
            return true;
        case EM_SETMARGINS: {
            DWORD cur = e->GetMargins();
            UINT left = (wp & EC_LEFTMARGIN) ? LOWORD(lp) : LOWORD(cur);
            UINT right = (wp & EC_RIGHTMARGIN) ? HIWORD(lp) : HIWORD(cur);
            if (wp == EC_USEFONTINFO) left = right = 2;
            e->SetMargins(left, right);
            return true;
        }
        case EM_GETMARGINS:
            r = e->GetMargins();
            return true;
        case EM_SETPASSWORDCHAR:
            e->SetPasswordChar((char)wp);
            return true;
        case EM_GETPASSWORDCHAR:
            r = (unsigned char)e->GetPasswordChar();
            return true;
        case EM_GETMODIFY:
            r = e->GetModify();
            return true;
        case EM_SETMODIFY:
            e->SetModify((BOOL)wp);
            return true;
        case EM_CANUNDO:
            r = e->CanUndo();
            return true;
        case EM_UNDO:
        case WM_UNDO:
            r = e->Undo();
            return true;
        case EM_EMPTYUNDOBUFFER:
            e->EmptyUndoBuffer();
            return true;
        case EM_SCROLLCARET:
            if (auto* pe = As<QPlainTextEdit>(e)) pe->ensureCursorVisible();
            r = TRUE;
            return true;
        case WM_CUT:
            e->Cut();
            return true;
        case WM_COPY:
            e->Copy();
            return true;
        case WM_PASTE:
            e->Paste();
            return true;
        case WM_CLEAR:
            e->Clear();
            return true;
        default:
            return false;
    }
}

bool RichEditMessage(CRichEditCtrl* e, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
    auto* te = As<QTextEdit>(e);
    switch (msg) {
        case EM_GETSEL:
        case EM_EXGETSEL: {
            int s = 0, t = 0;
            e->GetSel(s, t);
            if (msg == EM_EXGETSEL) {
                if (auto* cr = reinterpret_cast<CHARRANGE*>(lp)) *cr = CHARRANGE{s, t};
                return true;
            }
            if (wp) *reinterpret_cast<DWORD*>(wp) = (DWORD)s;
            if (lp) *reinterpret_cast<DWORD*>(lp) = (DWORD)t;
            r = MAKELONG(std::min(s, 0xFFFF), std::min(t, 0xFFFF));
            return true;
        }
        case EM_SETSEL:
            e->SetSel((int)(LONG)wp, (int)(LONG)lp);
            return true;
        case EM_EXSETSEL: {
            auto* cr = reinterpret_cast<const CHARRANGE*>(lp);
            if (cr) e->SetSel(cr->cpMin, cr->cpMax);
            int s = 0, t = 0;
            e->GetSel(s, t);
            r = t;
            return true;
        }
        case EM_REPLACESEL:
            e->ReplaceSel(Text(lp), (BOOL)wp);
            return true;
        case EM_LIMITTEXT:
            e->LimitText((int)wp);
            return true;
        case EM_EXLIMITTEXT:
            e->LimitText((int)lp);
            return true;
        case EM_SETREADONLY:
            r = e->SetReadOnly((BOOL)wp);
            return true;
        case EM_GETLINECOUNT:
            r = e->GetLineCount();
            return true;
        case EM_GETSELTEXT:
            r = CopyOut(e->GetSelText(), lp);
            return true;
        case EM_GETTEXTEX:
        case EM_GETTEXTLENGTHEX: {
            if (!te || !wp) return true;
            const bool sel = msg == EM_GETTEXTEX &&
                             (reinterpret_cast<const GETTEXTEX*>(wp)->flags & GT_SELECTION);
            QString t = sel ? te->textCursor().selection().toPlainText() : te->toPlainText();
            const DWORD flags = msg == EM_GETTEXTEX ? reinterpret_cast<const GETTEXTEX*>(wp)->flags
                                                    : reinterpret_cast<const GETTEXTLENGTHEX*>(wp)->flags;
            const UINT cp = msg == EM_GETTEXTEX ? reinterpret_cast<const GETTEXTEX*>(wp)->codepage
                                                : reinterpret_cast<const GETTEXTLENGTHEX*>(wp)->codepage;
            if (flags & (msg == EM_GETTEXTEX ? GT_USECRLF : GTL_USECRLF))
                t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            if (msg == EM_GETTEXTLENGTHEX) {
                if (!(flags & GTL_NUMBYTES))
                    r = t.size();
                else
                    r = cp == CP_UTF16 ? t.size() * 2 : t.toUtf8().size();
                return true;
            }
            const auto* gt = reinterpret_cast<const GETTEXTEX*>(wp);
            if (!lp || gt->cb == 0) return true;
            if (cp == CP_UTF16) {
                const size_t units = std::min<size_t>((size_t)t.size(), gt->cb / 2 - (gt->cb >= 2 ? 1 : 0));
                if (gt->cb < 2) return true;
                memcpy(reinterpret_cast<char*>(lp), t.utf16(), units * 2);
                reinterpret_cast<char16_t*>(lp)[units] = 0;
                r = (LRESULT)units;
            } else {
                QByteArray u = t.toUtf8();
                size_t n = std::min<size_t>((size_t)u.size(), gt->cb - 1);
                // never cut a character in two
                while (n > 0 && n < (size_t)u.size() && (u[(qsizetype)n] & 0xC0) == 0x80) --n;
                memcpy(reinterpret_cast<char*>(lp), u.constData(), n);
                reinterpret_cast<char*>(lp)[n] = 0;
                r = (LRESULT)n;
            }
            return true;
        }
        case EM_GETMODIFY:
            r = te && te->document()->isModified();
            return true;
        case EM_SETMODIFY:
            if (te) te->document()->setModified(wp != 0);
            return true;
        case EM_UNDO:
        case WM_UNDO:
            r = te && te->document()->isUndoAvailable();
            if (te) te->undo();
            return true;
        case WM_COPY:
            if (te) te->copy();
            return true;
        case WM_CUT:
            if (te) te->cut();
            return true;
        case WM_PASTE:
            if (te) te->paste();
            return true;
        case WM_CLEAR:
            if (te) te->textCursor().removeSelectedText();
            return true;
        default:
            return false;
    }
}

// The messages combo boxes and list boxes share, by their numbers in each family.
struct ItemCodes {
    UINT add, insert, remove, reset, count, getCur, setCur, getText, getTextLen, find, findExact,
        select, setData, getData;
};
const ItemCodes kComboCodes{CB_ADDSTRING,    CB_INSERTSTRING, CB_DELETESTRING,    CB_RESETCONTENT,
                            CB_GETCOUNT,     CB_GETCURSEL,    CB_SETCURSEL,       CB_GETLBTEXT,
                            CB_GETLBTEXTLEN, CB_FINDSTRING,   CB_FINDSTRINGEXACT, CB_SELECTSTRING,
                            CB_SETITEMDATA,  CB_GETITEMDATA};
const ItemCodes kListCodes{LB_ADDSTRING,  LB_INSERTSTRING, LB_DELETESTRING,    LB_RESETCONTENT,
                           LB_GETCOUNT,   LB_GETCURSEL,    LB_SETCURSEL,       LB_GETTEXT,
                           LB_GETTEXTLEN, LB_FINDSTRING,   LB_FINDSTRINGEXACT, LB_SELECTSTRING,
                           LB_SETITEMDATA, LB_GETITEMDATA};

// getText reads item i's text into t and answers its length or the family's error.
template <class Ctl, class GetText>
bool ItemMessage(Ctl* c, const ItemCodes& k, GetText getText, UINT msg, WPARAM wp, LPARAM lp,
                 LRESULT& r) {
    const int index = (int)(LONG)wp;
    if (msg == k.add) {
        r = c->AddString(Text(lp));
    } else if (msg == k.insert) {
        r = c->InsertString(index, Text(lp));
    } else if (msg == k.remove) {
        r = c->DeleteString((UINT)wp);
    } else if (msg == k.reset) {
        c->ResetContent();
    } else if (msg == k.count) {
        r = c->GetCount();
    } else if (msg == k.getCur) {
        r = c->GetCurSel();
    } else if (msg == k.setCur) {
        r = c->SetCurSel(index);
    } else if (msg == k.getText || msg == k.getTextLen) {
        std::string t;
        r = getText(index, t);
        if (msg == k.getText && r >= 0) CopyOut(t, lp);
    } else if (msg == k.find) {
        r = c->FindString(index, Text(lp));
    } else if (msg == k.findExact) {
        r = c->FindStringExact(index, Text(lp));
    } else if (msg == k.select) {
        r = c->SelectString(index, Text(lp));
    } else if (msg == k.setData) {
        r = c->SetItemData(index, (DWORD_PTR_T)lp);
    } else if (msg == k.getData) {
        r = (LRESULT)c->GetItemData(index);
    } else {
        return false;
    }
    return true;
}

bool ComboMessage(CComboBox* c, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
    auto text = [c](int i, std::string& t) { return c->GetLBText(i, t); };
    if (ItemMessage(c, kComboCodes, text, msg, wp, lp, r)) return true;
    switch (msg) {
        case CB_SHOWDROPDOWN:
            c->ShowDropDown((BOOL)wp);
            r = TRUE;
            return true;
        case CB_GETDROPPEDSTATE:
            r = c->GetDroppedState();
            return true;
        case CB_LIMITTEXT:
            r = c->LimitText((int)wp);
            return true;
        case CB_GETEDITSEL:
        case CB_SETEDITSEL: {
            auto* cb = As<QComboBox>(c);
            QLineEdit* le = cb ? cb->lineEdit() : nullptr;
            if (!le) {
                r = CB_ERR;
                return true;
            }
            if (msg == CB_SETEDITSEL) {
                const int s = (short)LOWORD(lp), t = (short)HIWORD(lp);
                if (s < 0)
                    le->deselect();
                else
                    le->setSelection(s, (t < 0 ? (int)le->text().size() : t) - s);
                r = TRUE;
                return true;
            }
            const int s = le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
            const int t = le->hasSelectedText() ? le->selectionEnd() : s;
            if (wp) *reinterpret_cast<DWORD*>(wp) = (DWORD)s;
            if (lp) *reinterpret_cast<DWORD*>(lp) = (DWORD)t;
            r = MAKELONG(s, t);
            return true;
        }
        case WM_CUT:
        case WM_COPY:
        case WM_PASTE:
        case WM_CLEAR: {
            auto* cb = As<QComboBox>(c);
            if (QLineEdit* le = cb ? cb->lineEdit() : nullptr) {
                if (msg == WM_CUT) le->cut();
                if (msg == WM_COPY) le->copy();
                if (msg == WM_PASTE) le->paste();
                if (msg == WM_CLEAR) le->del();
            }
            return true;
        }
        default:
            return false;
    }
}

bool ListMessage(CListBox* l, UINT msg, WPARAM wp, LPARAM lp, LRESULT& r) {
    auto text = [l](int i, std::string& t) { return l->GetText(i, t); };
    if (ItemMessage(l, kListCodes, text, msg, wp, lp, r)) return true;
    const bool multiple = (l->GetStyle() & LBS_MULTIPLESEL) != 0;
    switch (msg) {
        case LB_GETTOPINDEX:
            r = l->GetTopIndex();
            return true;
        case LB_SETTOPINDEX:
            r = l->SetTopIndex((int)(LONG)wp);
            return true;
        case LB_GETSELCOUNT:
            r = multiple ? l->GetSelCount() : LB_ERR;
            return true;
        case LB_GETSELITEMS:
            r = multiple ? l->GetSelItems((int)wp, reinterpret_cast<int*>(lp)) : LB_ERR;
            return true;
        case LB_SETSEL:
            r = multiple ? l->SetSel((int)(LONG)lp, (BOOL)wp) : LB_ERR;
            return true;
        case LB_GETSEL:
            r = l->GetSel((int)(LONG)wp);
            return true;
        default:
            return false;
    }
}
}  // namespace

bool ControlMessage(CNativeCtrl* ctl, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    if (auto* e = dynamic_cast<CEdit*>(ctl)) return EditMessage(e, msg, wp, lp, result);
    if (auto* e = dynamic_cast<CRichEditCtrl*>(ctl)) return RichEditMessage(e, msg, wp, lp, result);
    if (auto* c = dynamic_cast<CComboBox*>(ctl)) return ComboMessage(c, msg, wp, lp, result);
    if (auto* l = dynamic_cast<CListBox*>(ctl)) return ListMessage(l, msg, wp, lp, result);
    return false;
}
}  // namespace platform
