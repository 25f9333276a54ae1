#pragma once
// A skin folder written into a scratch directory: a skin file from the given elements
// and images drawn in one colour.
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Gdi.h"

namespace skin_test {

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// body: the sections inside the root element.
inline void WriteSkin(const std::filesystem::path& skinDir, const std::string& name,
                      const std::string& body) {
    WriteFile(skinDir / name / "Devazedad_skin.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Devazedad_skin>\n" + body +
                  "</Devazedad_skin>\n");
}

inline void WritePng(const std::filesystem::path& path, int w, int h, COLORREF color) {
    std::filesystem::create_directories(path.parent_path());
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, w, h);
    CBitmap* old = dc.SelectObject(&bmp);
    CRect rc(0, 0, w, h);
    dc.FillSolidRect(&rc, color);
    dc.SelectObject(old);
    bmp.SavePng(path.string());
}

}  // namespace skin_test
