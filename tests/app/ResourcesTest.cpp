// The resources the program ships: generated images are current with their sources, the
// skin has every colour the windows read, and the common resources find their ids.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <filesystem>

#include "ResGen.h"
#include "common/ScratchDir.h"
#include "foundation/CommonColors.h"
#include "platform/Gdi.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = TARROW_SOURCE_DIR;

int ChannelDistance(COLORREF a, COLORREF b) {
    return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                     std::abs(GetBValue(a) - GetBValue(b))});
}

TEST(Resources, GeneratedImagesAreCurrentWithTheirSources) {
    ScratchDir out;
    std::string error;
    const std::string art = (kSource / "tools/resgen/art").string();
    std::vector<ResGenEntry> entries;
    ASSERT_TRUE(ReadResGenManifest(art, entries, &error)) << error;
    ASSERT_EQ(GenerateResources(art, out.Path().string(), &error), (int)entries.size()) << error;
    for (const ResGenEntry& e : entries) {
        SCOPED_TRACE(e.output + " (run scripts/gen-resources after changing " + e.source + ")");
        fs::path fresh = out.Path() / e.output, committed = kSource / "resources" / e.output;
        ASSERT_TRUE(fs::exists(committed));
        if (fs::path(e.output).extension() != ".png") {
            EXPECT_EQ(ReadFile(fresh), ReadFile(committed));
            continue;
        }
        CBitmap a, b;
        ASSERT_TRUE(a.LoadFromFile(fresh.string()));
        ASSERT_TRUE(b.LoadFromFile(committed.string()));
        ASSERT_EQ(a.GetSize(), b.GetSize());
        int differing = 0;
        for (int y = 0; y < a.GetSize().cy; ++y)
            for (int x = 0; x < a.GetSize().cx; ++x)
                if (ChannelDistance(a.GetPixel(x, y), b.GetPixel(x, y)) > 8) ++differing;
        // Anti-aliased edges may round differently on another machine; shapes may not move.
        EXPECT_LE(differing, a.GetSize().cx * a.GetSize().cy / 50);
    }
}

TEST(Resources, TheSkinHasEveryColourTheWindowsRead) {
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.LoadFile((kSource / "resources/Skin/skin/Devazedad_skin.xml").c_str()),
              tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* root = doc.RootElement();
    ASSERT_STREQ(root->Name(), "Devazedad_skin");
    const tinyxml2::XMLElement* table = root->FirstChildElement(kCommonColorElement);
    ASSERT_NE(table, nullptr);
    for (int i = 0; i < kCommonColorCount; ++i) {
        const char* key = CommonColorKey(i);
        if (!key) continue;
        const tinyxml2::XMLElement* e = table->FirstChildElement(key);
        ASSERT_NE(e, nullptr) << key;
        EXPECT_TRUE(ParseColorText(e->Attribute("color") ? e->Attribute("color") : "")) << key;
    }
    const tinyxml2::XMLElement* tabs = root->FirstChildElement("FrameTitle");
    ASSERT_NE(tabs, nullptr);
    for (const char* key : {"Tab1", "HoverTab1", "Tab2", "HoverTab2", "Tab3", "HoverTab3", "Tab4",
                            "HoverTab4"})
        EXPECT_NE(tabs->FirstChildElement(key), nullptr) << key;

    // Through the skin manager: every image the skin names is in the skin folder.
    CSkinResManager skin;
    skin.SetSkinDir((kSource / "resources/Skin").string());
    ASSERT_TRUE(skin.SelectSkin("skin"));
    EXPECT_FALSE(skin.GetImage("image", "bk_ground", "blockwnd")->IsNull());
    EXPECT_FALSE(skin.GetImage("no", "such", "image")->IsNull());  // the error image
    // Rises are red and falls green, and text stands out from the ground.
    CommonVar* v = GetCommonVar();
    EXPECT_GT(GetRValue(v->GetColor(CommonColor::uniRise)), 200);
    EXPECT_GT(GetGValue(v->GetColor(CommonColor::uniFall)), 150);
    EXPECT_GT(ChannelDistance(v->GetColor(CommonColor::uniText), v->GetColor(CommonColor::uniBackGround)),
              150);
}

TEST(Resources, CommonResourcesFindEveryIdTheyNeed) {
    CommonResouce res;
    res.Init();
    for (int i = 0; i < CommonResouce::kCursorCount; ++i) EXPECT_NE(res.GetCursor(i), nullptr) << i;
    ASSERT_NE(res.m_hIcon, nullptr);
    SIZE iconSize{};
    ASSERT_TRUE(GetIconSize(res.m_hIcon, &iconSize));
    EXPECT_EQ(iconSize.cx, 64);
    EXPECT_EQ(res.m_imageList1.GetImageCount(), 4);
    EXPECT_EQ(res.m_imageList2.GetImageCount(), 4);
    EXPECT_EQ(res.m_imageList3.GetImageCount(), 3);
    EXPECT_EQ(res.m_imageList3.GetIconSize(), CSize(15, 15));
    ASSERT_NE(res.m_pImage, nullptr);
    EXPECT_EQ(res.m_pImage->GetWidth() % 4, 0);  // four connection-state cells
    // The blue of bitmap 199 is transparent: a corner of the first cell draws nothing.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap canvas;
    canvas.CreateCompatibleBitmap(&dc, 15, 15);
    dc.SelectObject(&canvas);
    CRect rc(0, 0, 15, 15);
    dc.FillSolidRect(&rc, RGB(255, 255, 255));
    res.m_imageList3.Draw(&dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 255, 255));
    EXPECT_NE(dc.GetPixel(7, 7), RGB(255, 255, 255));
}

}  // namespace
