#include "ui/CommonResouce.h"

#include "foundation/MyLog.h"
#include "foundation/Singleton.h"
#include "platform/Wnd.h"
#include "ui/draw/DrawHelpers.h"

namespace {
LazySingleton<CommonResouce>& Slot() {
    static LazySingleton<CommonResouce> slot;
    return slot;
}
}  // namespace

CommonResouce::CommonResouce() = default;

CommonResouce::~CommonResouce() {
    m_pImage.reset();
    m_imageList1.DeleteImageList();
    m_imageList2.DeleteImageList();
    m_imageList3.DeleteImageList();
}

void CommonResouce::LoadCursors() const {
    m_bCursorsLoaded = true;
    for (int i = 0; i < 4; ++i) m_cursors[i] = ::LoadCursor(nullptr, 307 + i);
    m_cursors[kCursorArrow] = ::LoadCursor(nullptr, IDC_ARROW);
    for (int i = 0; i < 5; ++i) m_cursors[5 + i] = ::LoadCursor(nullptr, 311 + i);
}

void CommonResouce::Init() {
    m_hIcon = ::LoadIcon(nullptr, 128);
    LoadImageList(m_imageList1, 202, 16, 16);
    LoadImageList(m_imageList2, 204, 16, 16);
    LoadMaskedImageList(m_imageList3, 15, 15);
    m_pImage.reset(LoadImageResource(321, 0));
    GetAppLog().WriteLog("%s %d", "CommonResouce::Init", 48);
}

HCURSOR CommonResouce::GetCursorOrArrow(int slot) const {
    HCURSOR c = GetCursor(slot);
    return c ? c : ::LoadCursor(nullptr, IDC_ARROW);
}

CommonResouce* GetCommonResouce() {
    return Slot().Get();
}

namespace common_resouce_testing {
void Reset() {
    Slot().Reset();
}
}  // namespace common_resouce_testing
