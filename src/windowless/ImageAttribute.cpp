#include "windowless/ImageAttribute.h"

#include <cstdlib>
#include <cstring>

#include "windowless/PaintManager.h"

namespace WinlessUI {

RECT ParseRect(const char* value) {
    RECT rc{0, 0, 0, 0};
    if (value == nullptr) return rc;
    char* p = const_cast<char*>(value);
    LONG* fields[4] = {&rc.left, &rc.top, &rc.right, &rc.bottom};
    for (int i = 0; i < 4; ++i) {
        *fields[i] = (LONG)strtol(p, &p, 10);
        if (*p == '\0') break;
        ++p;  // one separator
    }
    return rc;
}
SIZE ParseSize(const char* value) {
    SIZE sz{0, 0};
    if (value == nullptr) return sz;
    char* p = const_cast<char*>(value);
    sz.cx = (LONG)strtol(p, &p, 10);
    if (*p != '\0') ++p;
    sz.cy = (LONG)strtol(p, &p, 10);
    return sz;
}
DWORD ParseColor(const char* value) {
    if (value == nullptr) return 0;
    while (*value > '\0' && *value <= ' ') ++value;
    if (*value == '#') ++value;
    return (DWORD)strtoul(value, nullptr, 16);
}
bool ParseBool(const char* value) {
    return value != nullptr && strcmp(value, "true") == 0;
}

void CImageAttribute::Reset() {
    m_sImageAttribute.Empty();
    m_sImage.Empty();
    m_sResType.Empty();
    m_imageInfo = nullptr;
    m_bLoadSuccess = true;
    m_rcDest = m_rcSource = m_rcCorner = RECT{0, 0, 0, 0};
    m_bFade = 255;
    m_dwMask = 0;
    m_bHole = m_bTiledX = m_bTiledY = false;
}

void CImageAttribute::SetImage(const char* text) {
    if (text == nullptr) text = "";
    if (m_sImageAttribute == text) return;
    Reset();
    m_sImageAttribute = text;
    m_sImage = text;
    Parse(text);
}

void CImageAttribute::Parse(const char* text) {
    if (text == nullptr) return;
    const char* p = text;
    for (;;) {
        while (*p > '\0' && *p <= ' ') ++p;
        if (*p == '\0') return;
        const char* keyStart = p;
        while (*p != '\0' && *p != '=' && !((unsigned char)*p <= ' ') && !((unsigned char)*p >= 0x80)) ++p;
        CUIString key(keyStart, int(p - keyStart));
        while (*p > '\0' && *p <= ' ') ++p;
        if (*p++ != '=') return;
        while (*p > '\0' && *p <= ' ') ++p;
        if (*p++ != '\'') return;
        const char* valueStart = p;
        while (*p != '\0' && *p != '\'') ++p;
        if (*p != '\'') return;
        CUIString value(valueStart, int(p - valueStart));
        ++p;
        if (!value.IsEmpty()) {
            if (key == "file" || key == "res") {
                m_sImage = value;
            } else if (key == "restype") {
                m_sResType = value;
            } else if (key == "dest") {
                m_rcDest = ParseRect(value);
            } else if (key == "source") {
                m_rcSource = ParseRect(value);
            } else if (key == "corner") {
                m_rcCorner = ParseRect(value);
            } else if (key == "mask") {
                m_dwMask = ParseColor(value);
            } else if (key == "fade") {
                m_bFade = (unsigned char)strtol(value, nullptr, 10);
            } else if (key == "hole") {
                m_bHole = value == "true";
            } else if (key == "xtiled") {
                m_bTiledX = value == "true";
            } else if (key == "ytiled") {
                m_bTiledY = value == "true";
            }
        }
        if (*p != ' ') return;
        ++p;
    }
}

bool CImageAttribute::LoadImage(CUIPaintManager* manager) {
    if (m_imageInfo != nullptr) return true;
    if (!m_bLoadSuccess) return false;
    if (manager == nullptr) return false;
    const TImageInfo* info =
        manager->GetOrLoadImage(m_sImage, m_sResType.IsEmpty() ? nullptr : m_sResType.GetData(), m_dwMask);
    if (info == nullptr) {
        m_bLoadSuccess = false;
        return false;
    }
    if (m_rcSource.left == 0 && m_rcSource.top == 0 && m_rcSource.right == 0 && m_rcSource.bottom == 0) {
        m_rcSource.right = info->nX;
        m_rcSource.bottom = info->nY;
    }
    if (m_rcSource.right > info->nX) m_rcSource.right = info->nX;
    if (m_rcSource.bottom > info->nY) m_rcSource.bottom = info->nY;
    m_imageInfo = info;
    return true;
}

}  // namespace WinlessUI
