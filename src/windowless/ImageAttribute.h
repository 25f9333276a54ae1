#pragma once
// One skin image as an attribute string ("file='a.png' source='0,0,16,16' corner='2,2,2,2'"),
// parsed once, with the decoded image cached after the first load.
#include "windowless/UIUtils.h"

namespace WinlessUI {

class CUIPaintManager;
struct TImageInfo;

class CImageAttribute {
public:
    CImageAttribute() { Reset(); }
    CImageAttribute(const CImageAttribute& other) = default;
    CImageAttribute& operator=(const CImageAttribute& other) = default;
    virtual ~CImageAttribute() = default;

    void SetImage(const char* text);
    void ModifyAttribute(const char* text) { Parse(text); }
    void SetDest(const RECT& rc) { m_rcDest = rc; }
    const CUIString& GetAttributeString() const { return m_sImageAttribute; }
    bool IsValid() const { return !m_sImageAttribute.IsEmpty() && m_bLoadSuccess; }
    bool LoadImage(CUIPaintManager* manager);
    void Reset();

    CUIString m_sImageAttribute;
    CUIString m_sImage;
    CUIString m_sResType;
    const TImageInfo* m_imageInfo = nullptr;
    bool m_bLoadSuccess = true;
    RECT m_rcDest{0, 0, 0, 0};
    RECT m_rcSource{0, 0, 0, 0};
    RECT m_rcCorner{0, 0, 0, 0};
    unsigned char m_bFade = 255;
    DWORD m_dwMask = 0;
    bool m_bHole = false;
    bool m_bTiledX = false;
    bool m_bTiledY = false;

private:
    void Parse(const char* text);
};

// Helpers shared by the attribute parsers of the framework.
// Four decimal numbers, each followed by any one separator character.
RECT ParseRect(const char* value);
// Two decimal numbers separated by one character.
SIZE ParseSize(const char* value);
// Hexadecimal ARGB; leading blanks and one "#" are skipped.
DWORD ParseColor(const char* value);
bool ParseBool(const char* value);

}  // namespace WinlessUI
