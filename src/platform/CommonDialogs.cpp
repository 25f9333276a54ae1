// Message box, colour chooser and file dialogs.
#include "platform/CommonDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
MessageBoxHook g_msgHook;
std::function<bool(COLORREF&)> g_colorHook;
std::function<bool(BOOL, std::string&)> g_fileHook;
QWidget* OwnerWidget(CWnd* w) {
    return w && w->d ? w->d->widget.data() : nullptr;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    g_msgHook = std::move(hook);
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    std::string t = text ? text : "", c = caption ? caption : "";
    if (g_msgHook) return g_msgHook(t, c, type);
    QMessageBox box(OwnerWidget(CWnd::FromHandle(owner)));
    box.setWindowTitle(ToQ(c));
    box.setText(ToQ(t));
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONWARNING:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    struct B {
        QMessageBox::StandardButton b;
        int id;
        const char* label;
    };
    std::vector<B> buttons;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            buttons = {{QMessageBox::Ok, IDOK, "确定"}, {QMessageBox::Cancel, IDCANCEL, "取消"}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{QMessageBox::Abort, IDABORT, "中止"},
                       {QMessageBox::Retry, IDRETRY, "重试"},
                       {QMessageBox::Ignore, IDIGNORE, "忽略"}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{QMessageBox::Yes, IDYES, "是"},
                       {QMessageBox::No, IDNO, "否"},
                       {QMessageBox::Cancel, IDCANCEL, "取消"}};
            break;
        case MB_YESNO:
            buttons = {{QMessageBox::Yes, IDYES, "是"}, {QMessageBox::No, IDNO, "否"}};
            break;
        case MB_RETRYCANCEL:
            buttons = {{QMessageBox::Retry, IDRETRY, "重试"},
                       {QMessageBox::Cancel, IDCANCEL, "取消"}};
            break;
        default:
            buttons = {{QMessageBox::Ok, IDOK, "确定"}};
            break;
    }
    QMessageBox::StandardButtons set;
    for (auto& b : buttons) set |= b.b;
    box.setStandardButtons(set);
    for (auto& b : buttons) box.button(b.b)->setText(QString::fromUtf8(b.label));
    int r;
    {
        platform::UiLoopScope loop;
        r = box.exec();
    }
    for (auto& b : buttons)
        if (r == b.b) return b.id;
    // closed without a button: cancel when there is one, else the only answer
    for (auto& b : buttons)
        if (b.id == IDCANCEL) return IDCANCEL;
    return buttons.size() == 1 ? buttons[0].id : IDCANCEL;
}

int AfxMessageBox(const char* text, UINT type) {
    CWinApp* app = AfxGetApp();
    CWnd* main = AfxGetMainWnd();
    return MessageBox(main ? main->m_hWnd : nullptr, text, app ? app->m_pszAppName.c_str() : "",
                      type);
}

CColorDialog::CColorDialog(COLORREF initial, DWORD, CWnd* parent)
    : m_color(initial), m_parent(parent) {}
void CColorDialog::SetHook(std::function<bool(COLORREF&)> hook) {
    g_colorHook = std::move(hook);
}
LRESULT CColorDialog::DoModal() {
    if (g_colorHook) {
        COLORREF c = m_color;
        if (!g_colorHook(c)) return IDCANCEL;
        m_color = c;
        return IDOK;
    }
    platform::UiLoopScope loop;
    QColor c = QColorDialog::getColor(ToQColor(m_color), OwnerWidget(m_parent));
    if (!c.isValid()) return IDCANCEL;
    m_color = RGB(c.red(), c.green(), c.blue());
    return IDOK;
}

CFileDialog::CFileDialog(BOOL open, const char* defExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_open(open),
      m_defExt(defExt ? defExt : ""),
      m_path(fileName ? fileName : ""),
      m_filter(filter ? filter : ""),
      m_flags(flags),
      m_parent(parent) {}
void CFileDialog::SetHook(std::function<bool(BOOL, std::string&)> hook) {
    g_fileHook = std::move(hook);
}
std::string CFileDialog::GetFileName() const {
    return FromQ(QFileInfo(ToQ(m_path)).fileName());
}
std::string CFileDialog::GetFileExt() const {
    return FromQ(QFileInfo(ToQ(m_path)).suffix());
}
LRESULT CFileDialog::DoModal() {
    std::string path = m_path;
    if (g_fileHook) {
        if (!g_fileHook(m_open, path)) return IDCANCEL;
    } else {
        // "Name (*.a)|*.a|Other|*.b||" -> "Name (*.a);;Other (*.b)"
        QStringList parts = ToQ(m_filter).split(QLatin1Char('|'), Qt::SkipEmptyParts), filters;
        for (int i = 0; i + 1 < parts.size(); i += 2) {
            QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
            filters << (parts[i].contains(QLatin1Char('(')) ? parts[i]
                                                            : parts[i] + " (" + pattern + ")");
        }
        QWidget* owner = OwnerWidget(m_parent);
        platform::UiLoopScope loop;
        QString chosen =
            m_open ? QFileDialog::getOpenFileName(owner, QString(), ToQ(path), filters.join(";;"))
                   : QFileDialog::getSaveFileName(owner, QString(), ToQ(path), filters.join(";;"));
        if (chosen.isEmpty()) return IDCANCEL;
        path = FromQ(chosen);
    }
    if (!m_open && !m_defExt.empty() && QFileInfo(ToQ(path)).suffix().isEmpty())
        path += "." + m_defExt;
    m_path = path;
    return IDOK;
}
