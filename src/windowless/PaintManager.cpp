#include "windowless/PaintManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Graphics.h"
#include "platform/Resource.h"
#include "platform/ToolTip.h"
#include "windowless/Control.h"
#include "windowless/Render.h"
#include "windowless/SkinImage.h"

namespace WinlessUI {
namespace {

// Skin files beyond this are refused before anything is allocated for them.
constexpr std::uint32_t kMaxSkinFile = 16u << 20;

struct TimerInfo {
    CControlUI* pSender;
    UINT nLocalID;
    HWND hWnd;
    UINT uWinTimer;
    bool bKilled;
};

struct ProcessState {
    void* module = nullptr;
    bool moduleSet = false;
    void* resourceModule = nullptr;
    CUIString resourcePath;
    CUIString zipName;
    bool cachedZip = false;
    ZipHandle sharedZip = nullptr;
    std::vector<unsigned char> archiveBytes;  // kept for the life of the process
    CUIString defaultFontName;
    CUIPtrArray liveManagers;
    short hue = 180, saturation = 100, lightness = 100;
};

ProcessState& G() {
    static ProcessState* state = new ProcessState;  // lives until the process ends
    return *state;
}

WORD MapKeyState() {
    WORD state = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= MK_LBUTTON;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= MK_RBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0) state |= MK_SHIFT;
    if (::GetKeyState(VK_CONTROL) < 0) state |= MK_CONTROL;
    if (::GetKeyState(VK_MENU) < 0) state |= 0x20;
    return state;
}

bool ReadWholeFile(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size <= 0 || size > std::streamoff(kMaxSkinFile)) return false;
    in.seekg(0);
    out->assign(std::size_t(size), '\0');
    in.read(out->data(), size);
    return in.gcount() == size;
}

bool ReadFromArchive(ZipHandle zip, const char* name, std::string* out) {
    int index = -1;
    ZipEntry entry;
    if (ZipFindItem(zip, name, true, &index, &entry) != ZR_OK) return false;
    if (entry.unc_size <= 0 || std::uint32_t(entry.unc_size) > kMaxSkinFile) return false;
    out->assign(std::size_t(entry.unc_size), '\0');
    ZRESULT r = ZipUnzipItem(zip, index, out->data(), std::uint32_t(entry.unc_size), ZIP_MEMORY);
    if (r != ZR_OK && r != ZR_MORE) return false;
    // The whole entry came in that call; the next call closes it, so the next read of the
    // same name starts from its beginning again.
    if (r == ZR_MORE && ZipUnzipItem(zip, index, out->data(), 0, ZIP_MEMORY) != ZR_OK) {
        char probe;
        if (ZipUnzipItem(zip, index, &probe, 1, ZIP_MEMORY) != ZR_OK) return false;
    }
    return true;
}

}  // namespace

// ---------------- process-wide ----------------

void CUIPaintManager::SetModule(void* module) {
    ProcessState& g = G();
    if (g.moduleSet && g.module == module) return;
    g.module = module;
    g.moduleSet = true;
    CShadowUI::RegisterShadowClass(module);
}
void* CUIPaintManager::GetModule() {
    return G().module;
}
void CUIPaintManager::SetResourceModule(void* module) {
    G().resourceModule = module;
}
void* CUIPaintManager::GetResourceModule() {
    return G().resourceModule ? G().resourceModule : G().module;
}
CUIString CUIPaintManager::GetResourcePath() {
    return G().resourcePath;
}
void CUIPaintManager::SetResourcePath(const char* path) {
    G().resourcePath = path;
    if (G().resourcePath.IsEmpty()) return;
    char last = G().resourcePath[G().resourcePath.GetLength() - 1];
    if (last != '/' && last != '\\') G().resourcePath += '/';
}
CUIString CUIPaintManager::GetArchiveName() {
    return G().zipName;
}
void CUIPaintManager::SetArchiveName(const char* zipName, bool cache) {
    ProcessState& g = G();
    if (g.sharedZip) {
        ZipClose(g.sharedZip);
        g.sharedZip = nullptr;
    }
    g.cachedZip = false;
    g.zipName = zipName;
    if (cache && zipName && *zipName) {
        CUIString path = g.resourcePath + zipName;
        g.sharedZip = ZipOpen(path.GetData(), 0, ZIP_FILENAME);
        g.cachedZip = g.sharedZip != nullptr;
    }
}
bool CUIPaintManager::IsArchiveShared() {
    return G().cachedZip;
}
ZipHandle CUIPaintManager::GetSharedArchive() {
    return G().sharedZip;
}
void CUIPaintManager::UseArchiveInMemory(const unsigned char* bytes, unsigned size) {
    ProcessState& g = G();
    if (g.zipName == "membuffer" && g.sharedZip != nullptr) return;
    if (g.sharedZip) ZipClose(g.sharedZip);
    g.zipName = "membuffer";
    g.sharedZip = ZipOpen(bytes, size, ZIP_MEMORY);
    g.cachedZip = g.sharedZip != nullptr;
    if (!g.cachedZip) g.zipName.Empty();
}
bool CUIPaintManager::LoadSkinArchive(UINT resourceId) {
    ProcessState& g = G();
    if (g.zipName == "membuffer" && g.sharedZip != nullptr) return true;
    std::vector<unsigned char> bytes;
    if (!platform::LoadResourceBytes("WQNRES", resourceId, bytes) || bytes.empty()) return false;
    g.archiveBytes = std::move(bytes);
    UseArchiveInMemory(g.archiveBytes.data(), (unsigned)g.archiveBytes.size());
    return g.sharedZip != nullptr;
}
void CUIPaintManager::ResetSharedArchiveForTests() {
    ProcessState& g = G();
    if (g.sharedZip) ZipClose(g.sharedZip);
    g.sharedZip = nullptr;
    g.cachedZip = false;
    g.zipName.Empty();
    g.archiveBytes.clear();
}
void CUIPaintManager::SetDefaultFontName(const char* face) {
    G().defaultFontName = face;
}
CUIString CUIPaintManager::GetDefaultFontName() {
    return G().defaultFontName;
}
void CUIPaintManager::GetColourAdjustment(short* h, short* s, short* l) {
    *h = G().hue;
    *s = G().saturation;
    *l = G().lightness;
}
void CUIPaintManager::SetColourAdjustment(short h, short s, short l) {
    G().hue = h;
    G().saturation = s;
    G().lightness = l;
}
int CUIPaintManager::GetLiveManagerCount() {
    return G().liveManagers.GetSize();
}

bool CUIPaintManager::ReadResourceFile(const char* name, const char* type, std::string* out) {
    out->clear();
    if (name == nullptr || *name == '\0') return false;
    ProcessState& g = G();
    if (type != nullptr && *type != '\0') {
        std::vector<unsigned char> bytes;
        if (!platform::LoadResourceBytes(type, (UINT)strtoul(name, nullptr, 10), bytes) || bytes.empty()) return false;
        out->assign(bytes.begin(), bytes.end());
        return true;
    }
    if (g.zipName.IsEmpty()) return ReadWholeFile((g.resourcePath + name).ToStd(), out);
    if (g.cachedZip && g.sharedZip) return ReadFromArchive(g.sharedZip, name, out);
    CUIString path = g.resourcePath + g.zipName;
    ZipHandle zip = ZipOpen(path.GetData(), 0, ZIP_FILENAME);
    if (zip == nullptr) return false;
    bool ok = ReadFromArchive(zip, name, out);
    ZipClose(zip);
    return ok;
}

TImageInfo* CUIPaintManager::LoadSkinImage(const char* name, const char* type, DWORD mask) {
    std::string bytes;
    if (!ReadResourceFile(name, type, &bytes)) {
        if (type != nullptr || !ReadWholeFile(name, &bytes)) return nullptr;
    }
    return DecodeSkinImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), mask);
}

TImageInfo* CUIPaintManager::DecodeSkinImage(const unsigned char* data, size_t size, DWORD mask) {
    SkinRgba rgba;
    if (!DecodeSkinRgba(data, size, &rgba)) return nullptr;
    auto bmp = std::make_unique<CBitmap>();
    void* bits = nullptr;
    if (!bmp->CreateDIBSection(rgba.width, rgba.height, &bits) || bits == nullptr) return nullptr;
    auto info = new TImageInfo;
    info->alphaChannel = PremultiplySkinPixels(rgba, mask, static_cast<uint32_t*>(bits));
    info->hBitmap = std::move(bmp);
    info->nX = rgba.width;
    info->nY = rgba.height;
    return info;
}

// ---------------- life ----------------

CUIPaintManager::CUIPaintManager() {
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (!G().defaultFontName.IsEmpty()) lf.lfFaceName = G().defaultFontName.ToStd();
    m_DefaultFontInfo.hFont = std::make_unique<CFont>();
    m_DefaultFontInfo.hFont->CreateFontIndirect(&lf);
    m_DefaultFontInfo.sFontName = lf.lfFaceName.c_str();
    m_DefaultFontInfo.iSize = -lf.lfHeight;
    m_DefaultFontInfo.bBold = lf.lfWeight >= FW_BOLD;
}

CUIPaintManager::~CUIPaintManager() {
    for (int i = 0; i < m_aDelayedCleanup.GetSize(); i++) delete static_cast<CControlUI*>(m_aDelayedCleanup[i]);
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++) delete static_cast<UINotify*>(m_aAsyncNotify[i]);
    m_aAsyncNotify.Empty();
    m_mNameHash.Resize(0);
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
    ClearFonts();
    ClearImages();
    ClearClassDefaults();
    ClearGroups();
    ClearTimers();
    if (m_pToolTip && m_pToolTip->GetSafeHwnd()) m_pToolTip->DestroyWindow();
    int index = G().liveManagers.Find(this);
    if (index >= 0) G().liveManagers.Remove(index);
}

void CUIPaintManager::AttachWindow(CWnd* wnd) {
    m_pWnd = wnd;
    if (G().liveManagers.Find(this) < 0) G().liveManagers.Add(this);
}

CDC* CUIPaintManager::GetHostDC() {
    if (!m_hDcPaint && m_pWnd && m_pWnd->GetSafeHwnd()) m_hDcPaint = std::make_unique<CClientDC>(m_pWnd);
    return m_hDcPaint.get();
}

// ---------------- window settings ----------------

void CUIPaintManager::SetInitialSize(int cx, int cy) {
    m_szInitWindowSize = {cx, cy};
    if (m_pRoot == nullptr && m_pWnd != nullptr && m_pWnd->GetSafeHwnd())
        m_pWnd->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void CUIPaintManager::SetMinInfo(int cx, int cy) {
    if (cx >= 0 && cy >= 0) m_szMinWindow = {cx, cy};
}
void CUIPaintManager::SetMaxInfo(int cx, int cy) {
    if (cx >= 0 && cy >= 0) m_szMaxWindow = {cx, cy};
}

void CUIPaintManager::SetOpacity(int alpha) {
    // Clamped once; fully opaque needs no layering at all, so 255 takes the style away
    // (unless the window paints its own per-pixel alpha).
    m_nOpacity = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
    if (m_pWnd == nullptr || !m_pWnd->GetSafeHwnd()) return;
    if (m_nOpacity < 255) {
        m_pWnd->ModifyStyleEx(0, WS_EX_LAYERED);
        m_pWnd->SetLayeredWindowAttributes(0, (BYTE)m_nOpacity, LWA_ALPHA);
    } else if (!m_bLayered) {
        m_pWnd->ModifyStyleEx(WS_EX_LAYERED, 0);
    } else {
        m_pWnd->SetLayeredWindowAttributes(0, 255, LWA_ALPHA);
    }
}

void CUIPaintManager::Invalidate(RECT rc) {
    if (rc.left < 0) rc.left = 0;
    if (rc.top < 0) rc.top = 0;
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    if (m_bLayered) UnionRect(&m_rcLayeredUpdate, m_rcLayeredUpdate, rc);
    if (m_pWnd != nullptr && m_pWnd->GetSafeHwnd()) m_pWnd->InvalidateRect(&rc, FALSE);
}
void CUIPaintManager::Invalidate() {
    if (m_pWnd == nullptr || !m_pWnd->GetSafeHwnd()) return;
    RECT rc;
    m_pWnd->GetClientRect(&rc);
    Invalidate(rc);
}

// ---------------- tree ----------------

bool CUIPaintManager::AttachRoot(CControlUI* root) {
    if (root == nullptr) return false;
    SetFocusControl(nullptr);
    m_pFocus = nullptr;
    m_pEventKey = m_pEventHover = m_pEventClick = nullptr;
    if (m_pRoot != nullptr) {
        m_aPostPaintControls.Empty();
        QueueControlDeletion(m_pRoot);
    }
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    m_shadow.CreateShadow(this);
    return InitControlTree(root, nullptr);
}

CControlUI* CUIPaintManager::CollectNamed(CControlUI* control, void* data) {
    auto* manager = static_cast<CUIPaintManager*>(data);
    CUIString name = control->GetName();
    if (!name.IsEmpty()) manager->m_mNameHash.Set(name, control);
    return nullptr;
}

bool CUIPaintManager::InitControlTree(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) return false;
    control->BindManager(this, parent ? parent : control->GetParent(), true);
    control->FindControl(CollectNamed, this, UIFIND_ALL);
    return true;
}

void CUIPaintManager::ForgetControl(CControlUI* control) {
    if (control == m_pEventKey) m_pEventKey = nullptr;
    if (control == m_pEventHover) m_pEventHover = nullptr;
    if (control == m_pEventClick) m_pEventClick = nullptr;
    if (control == m_pFocus) m_pFocus = nullptr;
    if (control == m_pCaretControl) m_pCaretControl = nullptr;
    KillControlTimer(control);
    CUIString name = control->GetName();
    if (!name.IsEmpty() && m_mNameHash.Find(name) == control) m_mNameHash.Remove(name);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++) {
        auto* msg = static_cast<UINotify*>(m_aAsyncNotify[i]);
        if (msg->pSender == control) msg->pSender = nullptr;
    }
    int late = m_aPostPaintControls.Find(control);
    if (late >= 0) m_aPostPaintControls.Remove(late);
}

void CUIPaintManager::QueueControlDeletion(CControlUI* control) {
    if (control == nullptr) return;
    // Out of the tree, still known to this manager, so that its deletion forgets its name,
    // timers and references here.
    control->BindManager(this, nullptr, false);
    m_aDelayedCleanup.Add(control);
    if (m_pWnd != nullptr && m_pWnd->GetSafeHwnd()) m_pWnd->PostMessage(WM_UI_DELAYED_CLEANUP, 0, 0);
}

CControlUI* CUIPaintManager::FindControlByName(const char* name) const {
    return static_cast<CControlUI*>(m_mNameHash.Find(name));
}

CControlUI* CUIPaintManager::FindControlFromPoint(CControlUI* control, void* data) {
    return PtInRect(control->GetPos(), *static_cast<POINT*>(data)) ? control : nullptr;
}

CControlUI* CUIPaintManager::FindControlAt(POINT pt) const {
    if (m_pRoot == nullptr) return nullptr;
    return m_pRoot->FindControl(FindControlFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CUIPaintManager::ControlOfThisManager(POINT pt) const {
    CControlUI* c = FindControlAt(pt);
    if (c != nullptr && c->GetOwnerManager() != this) return nullptr;
    return c;
}

// ---------------- notifications ----------------

bool CUIPaintManager::AddListener(INotifyUI* notifier) {
    if (m_aNotifiers.Find(notifier) >= 0) return false;
    return m_aNotifiers.Add(notifier);
}
bool CUIPaintManager::RemoveListener(INotifyUI* notifier) {
    int i = m_aNotifiers.Find(notifier);
    return i >= 0 && m_aNotifiers.Remove(i);
}

void CUIPaintManager::SendNotification(CControlUI* control, const char* type, WPARAM wParam, LPARAM lParam,
                                       bool async) {
    UINotify msg;
    msg.pSender = control;
    msg.sType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotification(msg, async);
}

void CUIPaintManager::SendNotification(UINotify& msg, bool async) {
    msg.ptMouse = m_ptLastMousePos;
    msg.dwTimestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWindowName();
    if (!async) {
        if (msg.pSender != nullptr && msg.pSender->OnNotify) msg.pSender->OnNotify(&msg);
        for (int i = 0; i < m_aNotifiers.GetSize(); i++) static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(msg);
        return;
    }
    auto* copy = new UINotify;
    copy->sType = msg.sType;
    copy->pSender = msg.pSender;
    copy->wParam = msg.wParam;
    copy->lParam = msg.lParam;
    copy->ptMouse = msg.ptMouse;
    copy->dwTimestamp = msg.dwTimestamp;
    m_aAsyncNotify.Add(copy);
}

void CUIPaintManager::DeliverQueuedNotifications() {
    while (m_aAsyncNotify.GetSize() > 0) {
        auto* msg = static_cast<UINotify*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        if (msg->pSender != nullptr && msg->pSender->OnNotify) msg->pSender->OnNotify(msg);
        for (int i = 0; i < m_aNotifiers.GetSize(); i++) static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(*msg);
        delete msg;
    }
}

// ---------------- filters ----------------

bool CUIPaintManager::AddPreFilter(IMessageFilterUI* filter) {
    if (m_aPreMessageFilters.Find(filter) >= 0) return false;
    return m_aPreMessageFilters.Add(filter);
}
bool CUIPaintManager::RemovePreFilter(IMessageFilterUI* filter) {
    int i = m_aPreMessageFilters.Find(filter);
    return i >= 0 && m_aPreMessageFilters.Remove(i);
}
bool CUIPaintManager::AddFilter(IMessageFilterUI* filter) {
    if (m_aMessageFilters.Find(filter) >= 0) return false;
    return m_aMessageFilters.Add(filter);
}
bool CUIPaintManager::RemoveFilter(IMessageFilterUI* filter) {
    int i = m_aMessageFilters.Find(filter);
    return i >= 0 && m_aMessageFilters.Remove(i);
}
bool CUIPaintManager::AddLatePainter(CControlUI* control) {
    if (m_aPostPaintControls.Find(control) >= 0) return false;
    return m_aPostPaintControls.Add(control);
}
bool CUIPaintManager::RemoveLatePainter(CControlUI* control) {
    int i = m_aPostPaintControls.Find(control);
    return i >= 0 && m_aPostPaintControls.Remove(i);
}
bool CUIPaintManager::AddAcceleratorHandler(ITranslateAccelerator* handler) {
    if (m_aTranslateAccelerator.Find(handler) >= 0) return false;
    return m_aTranslateAccelerator.Add(handler);
}
bool CUIPaintManager::RemoveAcceleratorHandler(ITranslateAccelerator* handler) {
    int i = m_aTranslateAccelerator.Find(handler);
    return i >= 0 && m_aTranslateAccelerator.Remove(i);
}
bool CUIPaintManager::OfferAccelerator(MSG* msg) {
    for (int i = 0; i < m_aTranslateAccelerator.GetSize(); i++)
        if (static_cast<ITranslateAccelerator*>(m_aTranslateAccelerator[i])->TranslateAccelerator(msg) == 0) return true;
    return false;
}

// ---------------- focus and capture ----------------

void CUIPaintManager::SetFocusControl(CControlUI* control) {
    HWND focus = ::GetFocus();
    if (m_pWnd && m_pWnd->GetSafeHwnd() && focus != m_pWnd->GetSafeHwnd() && control != m_pFocus) m_pWnd->SetFocus();
    if (control == m_pFocus) return;
    if (m_pFocus != nullptr) {
        UIEvent event = MakeEvent(UIEVENT_KILLFOCUS, control);
        m_pFocus->RaiseEvent(event);
        SendNotification(m_pFocus, "killfocus");
        m_pFocus = nullptr;
    }
    if (control == nullptr) return;
    if (control->GetOwnerManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_pFocus = control;
        UIEvent event = MakeEvent(UIEVENT_SETFOCUS, control);
        m_pFocus->RaiseEvent(event);
        SendNotification(m_pFocus, "setfocus");
    }
}

struct TabSearch {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

CControlUI* CUIPaintManager::FindTabStop(CControlUI* control, void* data) {
    auto* info = static_cast<TabSearch*>(data);
    if (control == info->pFocus) {
        if (info->bForward) info->bNextIsIt = true;
        return info->bForward ? nullptr : info->pLast;
    }
    if ((control->GetBehaviourFlags() & UIFLAG_TABSTOP) == 0) return nullptr;
    info->pLast = control;
    if (info->bNextIsIt) return control;
    if (info->pFocus == nullptr) return control;
    return nullptr;
}

void CUIPaintManager::RequestFocus(CControlUI* control) {
    if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->SetFocus();
    if (control == nullptr) return;
    if (m_pFocus != nullptr) {
        UIEvent event = MakeEvent(UIEVENT_KILLFOCUS, control);
        m_pFocus->RaiseEvent(event);
        SendNotification(m_pFocus, "killfocus");
        m_pFocus = nullptr;
    }
    TabSearch info{control, nullptr, false, false};
    if (m_pRoot) m_pFocus = m_pRoot->FindControl(FindTabStop, &info, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    m_bFocusNeeded = true;
    if (m_pRoot != nullptr) m_pRoot->RequestLayout();
}

bool CUIPaintManager::MoveTabFocus(bool forward) {
    if (m_bUpdateNeeded && forward) {
        m_bFocusNeeded = true;
        Invalidate();
        return true;
    }
    if (m_pRoot == nullptr) return false;
    TabSearch info{m_pFocus, nullptr, forward, false};
    const UINT flags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST;
    CControlUI* found = m_pRoot->FindControl(FindTabStop, &info, flags);
    if (found == nullptr) {
        if (forward) {
            TabSearch again{nullptr, nullptr, true, false};
            found = m_pRoot->FindControl(FindTabStop, &again, flags);
        } else {
            found = info.pLast;
        }
    }
    if (found != nullptr) SetFocusControl(found);
    m_bFocusNeeded = false;
    return true;
}

void CUIPaintManager::CaptureMouse() {
    if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->SetCapture();
    m_bMouseCapture = true;
}
void CUIPaintManager::ReleaseMouse() {
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

// ---------------- timers ----------------

bool CUIPaintManager::SetControlTimer(CControlUI* control, UINT key, UINT elapse) {
    HWND hwnd = GetPaintWindow();
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
        if (t->pSender == control && t->hWnd == hwnd && t->nLocalID == key) return false;
    }
    // Ids run modulo 240 (0 included); one still held by a live timer of this window is
    // skipped so that two timers never share an id.
    UINT id = m_uTimerID;
    for (int tries = 0; tries < (int)kTimerIdModulo; ++tries) {
        id = (id + 1) % kTimerIdModulo;
        bool taken = false;
        for (int i = 0; i < m_aTimers.GetSize() && !taken; i++) {
            auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
            taken = t->hWnd == hwnd && t->uWinTimer == id;
        }
        if (!taken) break;
    }
    m_uTimerID = id;
    if (m_pWnd == nullptr || !m_pWnd->GetSafeHwnd() || !m_pWnd->SetTimer(id, elapse)) return false;
    auto* t = new TimerInfo{control, key, hwnd, id, false};
    if (!m_aTimers.Add(t)) {
        delete t;
        return false;
    }
    return true;
}

bool CUIPaintManager::KillControlTimer(CControlUI* control, UINT key) {
    // A killed timer's record goes at once: its id is free again, and a later
    // SetControlTimer of the same key starts a fresh one.
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
        if (t->pSender == control && t->hWnd == GetPaintWindow() && t->nLocalID == key) {
            if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->KillTimer(t->uWinTimer);
            delete t;
            m_aTimers.Remove(i);
            return true;
        }
    }
    return false;
}

void CUIPaintManager::KillControlTimer(CControlUI* control) {
    for (int i = m_aTimers.GetSize() - 1; i >= 0; --i) {
        auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
        if (t->pSender == control && t->hWnd == GetPaintWindow()) {
            if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->KillTimer(t->uWinTimer);
            delete t;
            m_aTimers.Remove(i);
        }
    }
}

void CUIPaintManager::ClearTimers() {
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
        if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->KillTimer(t->uWinTimer);
        delete t;
    }
    m_aTimers.Empty();
}

int CUIPaintManager::GetNativeTimerId(CControlUI* control, UINT key) const {
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
        if (t->pSender == control && t->nLocalID == key && !t->bKilled) return (int)t->uWinTimer;
    }
    return -1;
}

// ---------------- option groups ----------------

bool CUIPaintManager::AddToGroup(const char* group, CControlUI* control) {
    auto* members = static_cast<CUIPtrArray*>(m_mOptionGroup.Find(group));
    if (members == nullptr) {
        members = new CUIPtrArray(6);
        m_mOptionGroup.Insert(group, members);
    }
    if (members->Find(control) >= 0) return false;
    members->Add(control);
    return true;
}
CUIPtrArray* CUIPaintManager::GetGroup(const char* group) const {
    return static_cast<CUIPtrArray*>(m_mOptionGroup.Find(group));
}
void CUIPaintManager::RemoveFromGroup(const char* group, CControlUI* control) {
    auto* members = static_cast<CUIPtrArray*>(m_mOptionGroup.Find(group));
    if (members == nullptr) return;
    int i = members->Find(control);
    if (i >= 0) members->Remove(i);
    if (members->IsEmpty()) {
        delete members;
        m_mOptionGroup.Remove(group);
    }
}
void CUIPaintManager::ClearGroups() {
    for (int i = 0; i < m_mOptionGroup.GetSize(); i++) {
        const char* key = m_mOptionGroup.GetAt(i);
        if (key) delete static_cast<CUIPtrArray*>(m_mOptionGroup.Find(key, false));
    }
    m_mOptionGroup.RemoveAll();
}

// ---------------- resources ----------------

bool CUIPaintManager::SetResourceParent(CUIPaintManager* parent) {
    for (CUIPaintManager* p = parent; p; p = p->m_pParentResourcePM)
        if (p == this) return false;
    m_pParentResourcePM = parent;
    return true;
}

static const CUIPaintManager* TopOf(const CUIPaintManager* m) {
    while (m->GetResourceParent()) m = m->GetResourceParent();
    return m;
}
DWORD CUIPaintManager::GetDefaultDisabledColor() const {
    return TopOf(this)->m_dwDefaultDisabledColor;
}
DWORD CUIPaintManager::GetDefaultFontColor() const {
    return TopOf(this)->m_dwDefaultFontColor;
}
DWORD CUIPaintManager::GetDefaultLinkFontColor() const {
    return TopOf(this)->m_dwDefaultLinkFontColor;
}
DWORD CUIPaintManager::GetDefaultLinkHoverFontColor() const {
    return TopOf(this)->m_dwDefaultLinkHoverFontColor;
}
DWORD CUIPaintManager::GetDefaultSelectedBkColor() const {
    return TopOf(this)->m_dwDefaultSelectedBkColor;
}

static void Measure(TFontInfo* info) {
    if (info->measured || !info->hFont) return;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, 1, 1);
    CBitmap* oldBmp = dc.SelectObject(&bmp);
    CFont* old = dc.SelectObject(info->hFont.get());
    dc.GetTextMetrics(&info->tm);
    dc.SelectObject(old);
    dc.SelectObject(oldBmp);
    info->measured = true;
}

TFontInfo* CUIPaintManager::GetDefaultFontInfo() {
    CUIPaintManager* top = const_cast<CUIPaintManager*>(TopOf(this));
    Measure(&top->m_DefaultFontInfo);
    return &top->m_DefaultFontInfo;
}

static LOGFONT MakeLogFont(const char* face, int size, bool bold, bool underline, bool italic) {
    LOGFONT lf;
    lf.lfFaceName = face ? face : "";
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold) lf.lfWeight += FW_BOLD;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfItalic = italic ? 1 : 0;
    return lf;
}

void CUIPaintManager::SetDefaultFont(const char* face, int size, bool bold, bool underline, bool italic) {
    LOGFONT lf = MakeLogFont(face, size, bold, underline, italic);
    auto font = std::make_unique<CFont>();
    if (!font->CreateFontIndirect(&lf)) return;
    m_DefaultFontInfo.hFont = std::move(font);
    m_DefaultFontInfo.sFontName = face;
    m_DefaultFontInfo.iSize = size;
    m_DefaultFontInfo.bBold = bold;
    m_DefaultFontInfo.bUnderline = underline;
    m_DefaultFontInfo.bItalic = italic;
    m_DefaultFontInfo.measured = false;
    Measure(&m_DefaultFontInfo);
}

CFont* CUIPaintManager::AddFont(const char* face, int size, bool bold, bool underline, bool italic) {
    LOGFONT lf = MakeLogFont(face, size, bold, underline, italic);
    lf.lfQuality = 5;
    auto info = new TFontInfo;
    info->hFont = std::make_unique<CFont>();
    if (!info->hFont->CreateFontIndirect(&lf)) {
        delete info;
        return nullptr;
    }
    info->sFontName = face;
    info->iSize = size;
    info->bBold = bold;
    info->bUnderline = underline;
    info->bItalic = italic;
    if (!m_aCustomFonts.Add(info)) {
        delete info;
        return nullptr;
    }
    return info->hFont.get();
}

CFont* CUIPaintManager::GetFont(int index) {
    if (index < 0 || index >= m_aCustomFonts.GetSize()) return GetDefaultFontInfo()->hFont.get();
    return static_cast<TFontInfo*>(m_aCustomFonts[index])->hFont.get();
}

CFont* CUIPaintManager::GetFont(const char* face, int size, bool bold, bool underline, bool italic) {
    for (CUIPaintManager* m = this; m; m = m->m_pParentResourcePM) {
        for (int i = 0; i < m->m_aCustomFonts.GetSize(); i++) {
            auto* f = static_cast<TFontInfo*>(m->m_aCustomFonts[i]);
            if (f->sFontName == face && f->iSize == size && f->bBold == bold && f->bUnderline == underline &&
                f->bItalic == italic)
                return f->hFont.get();
        }
    }
    return nullptr;
}

TFontInfo* CUIPaintManager::GetFontInfo(int index) {
    if (index < 0 || index >= m_aCustomFonts.GetSize()) return GetDefaultFontInfo();
    auto* f = static_cast<TFontInfo*>(m_aCustomFonts[index]);
    Measure(f);
    return f;
}

TFontInfo* CUIPaintManager::GetFontInfo(CFont* font) {
    for (CUIPaintManager* m = this; m; m = m->m_pParentResourcePM) {
        for (int i = 0; i < m->m_aCustomFonts.GetSize(); i++) {
            auto* f = static_cast<TFontInfo*>(m->m_aCustomFonts[i]);
            if (f->hFont.get() == font) {
                Measure(f);
                return f;
            }
        }
    }
    return GetDefaultFontInfo();
}

void CUIPaintManager::ClearFonts() {
    for (int i = 0; i < m_aCustomFonts.GetSize(); i++) delete static_cast<TFontInfo*>(m_aCustomFonts[i]);
    m_aCustomFonts.Empty();
}

const TImageInfo* CUIPaintManager::FindImage(const char* name) {
    return static_cast<TImageInfo*>(m_mImageHash.Find(name));
}

const TImageInfo* CUIPaintManager::GetOrLoadImage(const char* name, const char* type, DWORD mask) {
    const TImageInfo* info = FindImage(name);
    if (info == nullptr) {
        AddImage(name, type, mask);
        info = FindImage(name);
    }
    return info;
}

const TImageInfo* CUIPaintManager::AddImage(const char* name, const char* type, DWORD mask) {
    if (name == nullptr || *name == '\0') return nullptr;
    if (type != nullptr && *type != '\0' && !(name[0] >= '0' && name[0] <= '9')) return nullptr;
    TImageInfo* info = LoadSkinImage(name, type, mask);
    if (info == nullptr) return nullptr;
    if (type != nullptr) info->sResType = type;
    info->dwMask = mask;
    if (!m_mImageHash.Insert(name, info)) {
        delete info;
        return nullptr;
    }
    return info;
}

void CUIPaintManager::ClearImages() {
    for (int i = 0; i < m_mImageHash.GetSize(); i++) {
        const char* key = m_mImageHash.GetAt(i);
        if (key) delete static_cast<TImageInfo*>(m_mImageHash.Find(key, false));
    }
    m_mImageHash.RemoveAll();
}

void CUIPaintManager::AddClassDefaults(const char* controlName, const char* attrList) {
    if (m_DefaultAttrHash.Find(controlName) != nullptr) return;
    auto* list = new CUIString(attrList);
    if (!m_DefaultAttrHash.Insert(controlName, list)) delete list;
}

const char* CUIPaintManager::GetClassDefaults(const char* controlName) const {
    for (const CUIPaintManager* m = this; m; m = m->m_pParentResourcePM) {
        auto* list = static_cast<CUIString*>(m->m_DefaultAttrHash.Find(controlName));
        if (list) return list->GetData();
    }
    return nullptr;
}

void CUIPaintManager::ClearClassDefaults() {
    for (int i = 0; i < m_DefaultAttrHash.GetSize(); i++) {
        const char* key = m_DefaultAttrHash.GetAt(i);
        if (key) delete static_cast<CUIString*>(m_DefaultAttrHash.Find(key, false));
    }
    m_DefaultAttrHash.RemoveAll();
}

// ---------------- caret ----------------

bool CUIPaintManager::MakeCaret(int width, int height) {
    m_rtCaret.right = m_rtCaret.left + width;
    m_rtCaret.bottom = m_rtCaret.top + height;
    return true;
}

bool CUIPaintManager::MoveCaret(CControlUI* control, int x, int y) {
    RECT old = m_rtCaret;
    m_pCaretControl = control;
    int w = m_rtCaret.right - m_rtCaret.left, h = m_rtCaret.bottom - m_rtCaret.top;
    m_rtCaret = {x, y, x + w, y + h};
    Invalidate(old);
    Invalidate(m_rtCaret);
    return true;
}

bool CUIPaintManager::ShowCaretBlink(bool show) {
    if (m_bCaretShowing == show) return true;
    m_bCaretShowing = show;
    if (show) {
        if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->SetTimer(kCaretTimerId, ::GetCaretBlinkTime());
        Invalidate(m_rtCaret);
    } else {
        if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->KillTimer(kCaretTimerId);
        if (m_bCaretActive) Invalidate(m_rtCaret);
        m_bCaretActive = false;
    }
    return true;
}

void CUIPaintManager::PaintCaret(CDC* dc, const RECT& rc) {
    if (m_pCaretControl == nullptr || !m_pCaretControl->IsFocused() || m_pWnd == nullptr ||
        ::GetFocus() != m_pWnd->GetSafeHwnd()) {
        if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->KillTimer(kCaretTimerId);
        if (m_bCaretActive) {
            Invalidate(m_rtCaret);
            m_bCaretActive = false;
        }
        return;
    }
    if (m_bCaretShowing && m_bCaretActive) {
        RECT clipped;
        if (IntersectRect(&clipped, rc, m_rtCaret)) {
            DWORD colour = GetDefaultFontColor();
            CRenderEngine::DrawColor(dc, clipped, colour);
        }
    }
}

// ---------------- events ----------------

UIEvent CUIPaintManager::MakeEvent(int type, CControlUI* sender, WPARAM wParam, LPARAM lParam) const {
    UIEvent e;
    e.Type = type;
    e.pSender = sender;
    e.dwTimestamp = ::GetTickCount();
    e.ptMouse = m_ptLastMousePos;
    e.wKeyState = MapKeyState();
    e.wParam = wParam;
    e.lParam = lParam;
    return e;
}

void CUIPaintManager::DeleteQueuedControls() {
    CUIPtrArray queued = m_aDelayedCleanup;
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < queued.GetSize(); i++) delete static_cast<CControlUI*>(queued[i]);
}

void CUIPaintManager::ShowToolTip(CControlUI* control) {
    CUIString tip = control->GetToolTip();
    if (tip.IsEmpty() || m_pWnd == nullptr) return;
    m_sToolTipText = tip.ToStd();
    if (!m_pToolInfo) m_pToolInfo = std::make_unique<TOOLINFO>();
    TOOLINFO& ti = *m_pToolInfo;
    ti.cbSize = sizeof(TOOLINFO);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = m_pWnd->GetSafeHwnd();
    ti.uId = (UINT_PTR)m_pWnd->GetSafeHwnd();
    ti.hinst = GetModule();
    ti.lpszText = m_sToolTipText.c_str();
    ti.rect = control->GetPos();
    if (!m_pToolTip) {
        m_pToolTip = std::make_unique<CToolTipCtrl>();
        if (!m_pToolTip->Create(m_pWnd, TTS_NOPREFIX | TTS_ALWAYSTIP)) {
            m_pToolTip.reset();
            return;
        }
        m_pToolTip->SendMessage(TTM_ADDTOOL, 0, (LPARAM)&ti);
    }
    m_pToolTip->SendMessage(TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
    m_pToolTip->SendMessage(TTM_SETTOOLINFO, 0, (LPARAM)&ti);
    m_pToolTip->SendMessage(TTM_TRACKACTIVATE, TRUE, (LPARAM)&ti);
}

void CUIPaintManager::HideToolTip() {
    if (m_pToolTip && m_pToolInfo && m_pToolTip->GetSafeHwnd())
        m_pToolTip->SendMessage(TTM_TRACKACTIVATE, FALSE, (LPARAM)m_pToolInfo.get());
}

void CUIPaintManager::EnsureTracking() {
    if (m_bMouseTracking || m_pWnd == nullptr) return;
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_pWnd->GetSafeHwnd();
    tme.dwHoverTime = m_pToolTip && m_pToolTip->GetSafeHwnd()
                          ? (DWORD)m_pToolTip->SendMessage(TTM_GETDELAYTIME, TTDT_INITIAL, 0)
                          : 400;
    ::TrackMouseEvent(&tme);
    m_bMouseTracking = true;
}

CControlUI* CUIPaintManager::FindControlFromUpdate(CControlUI* control, void*) {
    return control->IsUpdateNeeded() ? control : nullptr;
}

void CUIPaintManager::Paint() {
    RECT rcUpdate{0, 0, 0, 0};
    if (!m_pWnd->GetUpdateRect(&rcUpdate, FALSE)) return;
    if (m_pRoot == nullptr) {
        CPaintDC dc(m_pWnd);
        return;
    }
    CPaintDC dc(m_pWnd);
    RECT rcPaint = dc.m_ps.rcPaint;
    RECT rcClient;
    m_pWnd->GetClientRect(&rcClient);
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        if (!IsRectEmpty(rcClient)) {
            if (m_pRoot->IsUpdateNeeded()) {
                if (!m_pWnd->IsIconic()) m_pRoot->SetPos(rcClient);
                m_hbmpOffscreen.reset();
                m_hDcOffscreen.reset();
            } else {
                CControlUI* control;
                int guard = 0;
                while ((control = m_pRoot->FindControl(FindControlFromUpdate, nullptr,
                                                       UIFIND_VISIBLE | UIFIND_ME_FIRST)) != nullptr &&
                       guard++ < 10000)
                    control->SetPos(control->GetPos());
            }
            if (m_bLayered) m_rcLayeredUpdate = rcClient;
        }
        if (m_bFirstLayout) {
            m_bFirstLayout = false;
            SendNotification(m_pRoot, "windowinit");
        }
    }
    if (m_bFocusNeeded) MoveTabFocus(true);
    if (m_pRoot == nullptr) return;
    int cx = rcClient.right - rcClient.left, cy = rcClient.bottom - rcClient.top;
    if (cx <= 0 || cy <= 0) return;

    if (m_bLayered) {
        PaintLayered(dc, rcClient, rcUpdate, rcPaint);
    } else {
        if (!m_hDcOffscreen || m_bOffscreenLayered || m_szOffscreen.cx != cx || m_szOffscreen.cy != cy) {
            m_bOffscreenLayered = false;
            m_pBmpOffscreenBits = nullptr;
            m_hDcOffscreen = std::make_unique<CDC>();
            m_hDcOffscreen->CreateCompatibleDC(&dc);
            m_hbmpOffscreen = std::make_unique<CBitmap>();
            m_hbmpOffscreen->CreateCompatibleBitmap(&dc, cx, cy);
            m_hDcOffscreen->SelectObject(m_hbmpOffscreen.get());
            m_szOffscreen = {cx, cy};
        }
        m_pRoot->PaintControl(m_hDcOffscreen.get(), rcPaint);
        for (int i = 0; i < m_aPostPaintControls.GetSize(); i++)
            static_cast<CControlUI*>(m_aPostPaintControls[i])->PaintOverlay(m_hDcOffscreen.get(), rcPaint);
        dc.BitBlt(rcPaint.left, rcPaint.top, rcPaint.right - rcPaint.left, rcPaint.bottom - rcPaint.top,
                  m_hDcOffscreen.get(), rcPaint.left, rcPaint.top, SRCCOPY);
    }
    if (m_bUpdateNeeded) m_pWnd->InvalidateRect(nullptr, FALSE);
}

void CUIPaintManager::PaintLayered(CDC& dc, const RECT& rcClient, const RECT& rcUpdate, const RECT& rcPaint) {
    const int cx = rcClient.right - rcClient.left, cy = rcClient.bottom - rcClient.top;
    if (!(m_pWnd->GetExStyle() & WS_EX_LAYERED)) m_pWnd->ModifyStyleEx(0, WS_EX_LAYERED);
    RECT area;
    if (m_bLayeredChanged) {
        area = rcClient;
        m_bLayeredChanged = false;
    } else {
        UnionRect(&area, rcUpdate, m_rcLayeredUpdate);
    }
    m_rcLayeredUpdate = RECT{0, 0, 0, 0};
    if (!IntersectRect(&area, area, rcClient)) return;
    if (!m_hDcOffscreen || !m_bOffscreenLayered || m_szOffscreen.cx != cx || m_szOffscreen.cy != cy) {
        m_hDcOffscreen = std::make_unique<CDC>();
        m_hDcOffscreen->CreateCompatibleDC(&dc);
        m_hbmpOffscreen = std::make_unique<CBitmap>();
        void* bits = nullptr;
        if (!m_hbmpOffscreen->CreateDIBSection(cx, cy, &bits) || bits == nullptr) {
            m_hDcOffscreen.reset();
            m_hbmpOffscreen.reset();
            return;
        }
        m_pBmpOffscreenBits = static_cast<DWORD*>(bits);
        m_hDcOffscreen->SelectObject(m_hbmpOffscreen.get());
        m_szOffscreen = {cx, cy};
        m_bOffscreenLayered = true;
        area = rcClient;  // a new buffer holds nothing yet
    }
    // The area is cleared to transparent black and painted afresh; the rest keeps its pixels.
    for (int y = area.top; y < area.bottom; ++y)
        std::fill(m_pBmpOffscreenBits + std::size_t(y) * cx + area.left, m_pBmpOffscreenBits + std::size_t(y) * cx + area.right,
                  DWORD(0));
    CDC* mem = m_hDcOffscreen.get();
    m_pRoot->PaintControl(mem, area);
    PaintCaret(mem, area);
    for (int i = 0; i < m_aPostPaintControls.GetSize(); i++)
        static_cast<CControlUI*>(m_aPostPaintControls[i])->PaintOverlay(mem, rcPaint);
    // Text drawn by native children inside the rich-edit corner stays visible: opaque there.
    const RECT& in = m_rcLayeredInset;
    if (in.left > 0 || in.top > 0 || in.right > 0 || in.bottom > 0) {
        RECT opaque{rcClient.left + in.left, rcClient.top + in.top, rcClient.right - in.right, rcClient.bottom - in.bottom};
        if (IntersectRect(&opaque, opaque, area))
            for (int y = opaque.top; y < opaque.bottom; ++y)
                for (int x = opaque.left; x < opaque.right; ++x) m_pBmpOffscreenBits[std::size_t(y) * cx + x] |= 0xFF000000;
    }
    RECT rcWnd;
    m_pWnd->GetWindowRect(&rcWnd);
    POINT pos{rcWnd.left, rcWnd.top}, origin{0, 0};
    SIZE size{cx, cy};
    m_pWnd->UpdateLayeredWindow(&pos, &size, mem, &origin, ULW_ALPHA);
}

bool CUIPaintManager::HandleWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (m_pWnd == nullptr || !m_pWnd->GetSafeHwnd()) return false;
    DeliverQueuedNotifications();
    for (int i = 0; i < m_aMessageFilters.GetSize(); i++) {
        bool handled = false;
        LRESULT r = static_cast<IMessageFilterUI*>(m_aMessageFilters[i])->FilterMessage(msg, wParam, lParam, handled);
        if (handled) {
            result = r;
            return true;
        }
    }
    bool handled = false;
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
        case WM_UI_DELAYED_CLEANUP:
            DeleteQueuedControls();
            break;
        case WM_CLOSE: {
            if (m_pEventHover) {
                UIEvent e = MakeEvent(UIEVENT_MOUSELEAVE, m_pEventHover);
                m_pEventHover->RaiseEvent(e);
            }
            if (m_pEventClick) {
                UIEvent e = MakeEvent(UIEVENT_BUTTONUP, m_pEventClick);
                m_pEventClick->RaiseEvent(e);
            }
            SetFocusControl(nullptr);
            if (CWnd* owner = m_pWnd->GetOwner()) owner->SetFocus();
            break;
        }
        case WM_ERASEBKGND:
            result = 1;
            handled = true;
            break;
        case WM_PAINT:
            Paint();
            result = 0;
            handled = true;
            break;
        case WM_SIZE:
            if (m_pFocus) {
                UIEvent e = MakeEvent(UIEVENT_WINDOWSIZE, m_pFocus);
                m_pFocus->RaiseEvent(e);
            }
            if (m_pRoot) m_pRoot->RequestLayout();
            handled = true;
            break;
        case WM_TIMER:
            if (wParam == kCaretTimerId) {
                Invalidate(m_rtCaret);
                m_bCaretActive = !m_bCaretActive;
            } else {
                for (int i = 0; i < m_aTimers.GetSize(); i++) {
                    auto* t = static_cast<TimerInfo*>(m_aTimers[i]);
                    if (t->hWnd == GetPaintWindow() && t->uWinTimer == wParam && !t->bKilled) {
                        UIEvent e = MakeEvent(UIEVENT_TIMER, t->pSender, t->nLocalID);
                        t->pSender->RaiseEvent(e);
                        break;
                    }
                }
            }
            break;
        case WM_MOUSEHOVER: {
            m_bMouseTracking = false;
            CControlUI* hover = FindControlAt(pt);
            if (hover == nullptr) break;
            if (m_pEventHover) {
                UIEvent e = MakeEvent(UIEVENT_MOUSEHOVER, m_pEventHover, wParam, lParam);
                e.ptMouse = pt;
                m_pEventHover->RaiseEvent(e);
            }
            ShowToolTip(hover);
            handled = true;
            break;
        }
        case WM_MOUSELEAVE:
            HideToolTip();
            // A captured drag keeps its control: the pointer leaving the window is no move.
            if (m_bMouseTracking && !m_bMouseCapture) m_pWnd->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
            m_bMouseTracking = false;
            break;
        case WM_MOUSEMOVE: {
            EnsureTracking();
            m_ptLastMousePos = pt;
            CControlUI* newHover = FindControlAt(pt);
            if (newHover != nullptr && newHover->GetOwnerManager() != this) break;
            if (newHover != m_pEventHover) {
                if (m_pEventHover != nullptr) {
                    UIEvent e = MakeEvent(UIEVENT_MOUSELEAVE, m_pEventHover, wParam, lParam);
                    m_pEventHover->RaiseEvent(e);
                    HideToolTip();
                    m_pEventHover = nullptr;
                }
                if (newHover != nullptr) {
                    UIEvent e = MakeEvent(UIEVENT_MOUSEENTER, newHover, wParam, lParam);
                    newHover->RaiseEvent(e);
                    m_pEventHover = newHover;
                }
            }
            CControlUI* target = m_pEventClick ? m_pEventClick : newHover;
            if (target != nullptr) {
                UIEvent e = MakeEvent(UIEVENT_MOUSEMOVE, target, wParam, lParam);
                target->RaiseEvent(e);
            }
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            m_pWnd->SetFocus();
            m_ptLastMousePos = pt;
            CControlUI* control = ControlOfThisManager(pt);
            if (control == nullptr) break;
            m_pEventClick = control;
            control->SetFocus();
            CaptureMouse();
            if (m_pEventClick == nullptr) break;  // the focus change removed it
            UIEvent e = MakeEvent(msg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_RBUTTONDOWN, control, wParam,
                                  lParam);
            e.wKeyState = (WORD)wParam;
            control->RaiseEvent(e);
            break;
        }
        case WM_LBUTTONDBLCLK: {
            m_pWnd->SetFocus();
            m_ptLastMousePos = pt;
            CControlUI* control = ControlOfThisManager(pt);
            if (control == nullptr) break;
            CaptureMouse();
            UIEvent e = MakeEvent(UIEVENT_DBLCLICK, control, wParam, lParam);
            e.wKeyState = (WORD)wParam;
            control->RaiseEvent(e);
            m_pEventClick = control;
            break;
        }
        case WM_LBUTTONUP: {
            m_ptLastMousePos = pt;
            if (m_pEventClick == nullptr) break;
            ReleaseMouse();
            CControlUI* control = m_pEventClick;
            UIEvent e = MakeEvent(UIEVENT_BUTTONUP, control, wParam, lParam);
            e.wKeyState = (WORD)wParam;
            m_pEventClick = nullptr;
            control->RaiseEvent(e);
            break;
        }
        case WM_CONTEXTMENU: {
            POINT cp = pt;
            m_pWnd->ScreenToClient(&cp);
            m_ptLastMousePos = cp;
            if (m_pEventClick == nullptr) break;
            ReleaseMouse();
            CControlUI* control = m_pEventClick;
            UIEvent e = MakeEvent(UIEVENT_CONTEXTMENU, control, wParam, (LPARAM)control);
            e.wKeyState = (WORD)wParam;
            m_pEventClick = nullptr;
            control->RaiseEvent(e);
            break;
        }
        case WM_MOUSEWHEEL: {
            POINT cp = pt;
            m_pWnd->ScreenToClient(&cp);
            m_ptLastMousePos = cp;
            CControlUI* control = ControlOfThisManager(cp);
            if (control == nullptr) break;
            int delta = GET_WHEEL_DELTA_WPARAM(wParam);
            UIEvent e = MakeEvent(UIEVENT_SCROLLWHEEL, control, delta < 0 ? 1 : 0, lParam);
            control->RaiseEvent(e);
            m_pWnd->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
            break;
        }
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) break;
            if (m_bMouseCapture) {
                handled = true;
                break;
            }
            POINT cp;
            ::GetCursorPos(&cp);
            m_pWnd->ScreenToClient(&cp);
            CControlUI* control = FindControlAt(cp);
            if (control == nullptr || (control->GetBehaviourFlags() & UIFLAG_SETCURSOR) == 0) break;
            UIEvent e = MakeEvent(UIEVENT_SETCURSOR, control, wParam, lParam);
            e.ptMouse = cp;
            control->RaiseEvent(e);
            handled = true;
            break;
        }
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (info == nullptr) break;
            if (m_szMinWindow.cx > 0) info->ptMinTrackSize.x = m_szMinWindow.cx;
            if (m_szMinWindow.cy > 0) info->ptMinTrackSize.y = m_szMinWindow.cy;
            if (m_szMaxWindow.cx > 0) info->ptMaxTrackSize.x = m_szMaxWindow.cx;
            if (m_szMaxWindow.cy > 0) info->ptMaxTrackSize.y = m_szMaxWindow.cy;
            break;
        }
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (hdr != nullptr) result = ::SendMessage(hdr->hwndFrom, OCM__BASE + msg, wParam, lParam);
            handled = true;
            break;
        }
        case WM_COMMAND:
            if (lParam != 0) {
                result = ::SendMessage(reinterpret_cast<HWND>(lParam), OCM__BASE + msg, wParam, lParam);
                handled = true;
            }
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (lParam != 0) {
                result = ::SendMessage(reinterpret_cast<HWND>(lParam), OCM__BASE + msg, wParam, lParam);
                handled = true;
            }
            break;
        case WM_KEYDOWN:
            if (m_pFocus) {
                UIEvent e = MakeEvent(UIEVENT_KEYDOWN, m_pFocus, wParam, lParam);
                e.chKey = (char)wParam;
                m_pFocus->RaiseEvent(e);
                m_pEventKey = m_pFocus;
            }
            break;
        case WM_KEYUP:
            if (m_pEventKey) {
                UIEvent e = MakeEvent(UIEVENT_KEYUP, m_pEventKey, wParam, lParam);
                e.chKey = (char)wParam;
                CControlUI* key = m_pEventKey;
                m_pEventKey = nullptr;
                key->RaiseEvent(e);
            }
            break;
        case WM_CHAR:
            if (m_pFocus) {
                UIEvent e = MakeEvent(UIEVENT_CHAR, m_pFocus, wParam, lParam);
                e.chKey = (char)wParam;
                m_pFocus->RaiseEvent(e);
            }
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_RESTORE) m_bLayeredChanged = true;
            handled = true;
            break;
        default:
            break;
    }
    DeliverQueuedNotifications();
    return handled;
}

CControlUI* CUIPaintManager::FindShortcut(CControlUI* control, void* data) {
    struct Info {
        char ch;
        bool bPickNext;
    };
    auto* info = static_cast<Info*>(data);
    if (!control->IsVisible()) return nullptr;
    char shortcut = control->GetShortcut();
    if (shortcut >= 'a' && shortcut <= 'z') shortcut = char(shortcut - 'a' + 'A');
    if (info->bPickNext) return control;
    if (shortcut == info->ch && shortcut != 0) {
        if (strstr(control->GetClassName(), "LabelUI") != nullptr) {
            info->bPickNext = true;
            return nullptr;
        }
        return control;
    }
    return nullptr;
}

bool CUIPaintManager::PreMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); i++) {
        bool handled = false;
        LRESULT r = static_cast<IMessageFilterUI*>(m_aPreMessageFilters[i])->FilterMessage(msg, wParam, lParam, handled);
        if (handled) {
            result = r;
            return true;
        }
    }
    switch (msg) {
        case WM_KEYDOWN:
            if (wParam == VK_TAB) {
                if (m_pFocus && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
                    strstr(m_pFocus->GetClassName(), "RichEditUI") != nullptr) {
                    // A rich edit that wants tabs keeps the key.
                    auto* tabKey = static_cast<ITabKeyUI*>(m_pFocus->GetInterface("ITabKey"));
                    if (tabKey != nullptr && tabKey->WantsTab()) return false;
                }
                MoveTabFocus(::GetKeyState(VK_SHIFT) >= 0);
                return true;
            }
            break;
        case WM_SYSCHAR: {
            struct {
                char ch;
                bool bPickNext;
            } info{(char)wParam, false};
            if (info.ch >= 'a' && info.ch <= 'z') info.ch = char(info.ch - 'a' + 'A');
            CControlUI* control =
                m_pRoot ? m_pRoot->FindControl(FindShortcut, &info, UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST)
                        : nullptr;
            if (control != nullptr) {
                control->SetFocus();
                control->Activate();
                return true;
            }
            break;
        }
        case WM_SYSKEYDOWN:
            if (m_pFocus) {
                UIEvent e = MakeEvent(UIEVENT_SYSKEY, m_pFocus, wParam, lParam);
                e.chKey = (char)wParam;
                m_pFocus->RaiseEvent(e);
            }
            break;
        default:
            break;
    }
    return false;
}

bool CUIPaintManager::PreTranslate(const MSG* msg) {
    if (msg == nullptr) return false;
    CUIPtrArray& live = G().liveManagers;
    CWnd* wnd = CWnd::FromHandle(msg->hwnd);
    if (wnd == nullptr) return false;
    bool child = (wnd->GetStyle() & WS_CHILD) != 0;
    if (!child) {
        for (int i = 0; i < live.GetSize(); i++) {
            auto* m = static_cast<CUIPaintManager*>(live[i]);
            if (m->GetPaintWindow() != msg->hwnd) continue;
            MSG copy = *msg;
            if (m->OfferAccelerator(&copy)) return true;
            LRESULT r = 0;
            return m->PreMessage(msg->message, msg->wParam, msg->lParam, r);
        }
        return false;
    }
    for (int i = 0; i < live.GetSize(); i++) {
        auto* m = static_cast<CUIPaintManager*>(live[i]);
        for (CWnd* p = wnd; p != nullptr; p = p->GetParent()) {
            if (p->GetSafeHwnd() != m->GetPaintWindow()) continue;
            MSG copy = *msg;
            if (m->OfferAccelerator(&copy)) return true;
            LRESULT r = 0;
            m->PreMessage(msg->message, msg->wParam, msg->lParam, r);
            break;
        }
    }
    return false;
}

}  // namespace WinlessUI
