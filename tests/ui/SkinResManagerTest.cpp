// The skin manager: colours, gradients and images from a skin folder, and what selecting
// a skin sets in motion.
#include "ui/SkinResManager.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "common/ScratchDir.h"
#include "platform/Graphics.h"
#include "SkinTestSupport.h"
#include "ui/CommonVar.h"

namespace {

using skin_test::WritePng;
using skin_test::WriteSkin;

class SkinManagerTest : public ::testing::Test {
protected:
    ScratchDir dir;
    CSkinResManager skin;
    void SetUp() override { skin.SetSkinDir(dir.Path().string()); }
};

TEST_F(SkinManagerTest, WithoutASkinFileEveryLookUpFallsBack) {
    EXPECT_EQ(skin.GetColor("CommmonColor", "uniRise"), 0u);
    GradientStyle style;
    style.strText = "stale";
    EXPECT_EQ(skin.GetGradientStyle("FrameTitle", "Tab1", style), 0);
    EXPECT_NE(style.strImagePath.find("Error.png"), std::string::npos);
    EXPECT_EQ(style.strImagePath.rfind(skin.GetSkinDir(), 0), 0u);
    CImage* image = skin.GetImage("any", "thing", "image");
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->IsNull());
}

TEST_F(SkinManagerTest, ColoursAndGradientsReadAsTheSkinWritesThem) {
    WriteSkin(dir.Path(), "skin",
              "<Colors>\n"
              "  <Red color=\"RGB(255,0,0)\"/>\n"
              "  <Wrapped color=\"RGB(300,1,2)\"/>\n"
              "  <Half color=\"RGB(10,x,30)\"/>\n"
              "  <Plain/>\n"
              "  <Grad color_begin=\"RGB(255,0,0)\" draw_style=\"3\" text=\"标题\"/>\n"
              "  <Grad2 color_begin=\"RGB(1,2,3)\" color_end=\"RGB(4,5,6)\"/>\n"
              "</Colors>\n");
    ASSERT_TRUE(skin.SelectSkin("skin"));
    EXPECT_EQ(skin.GetColor("Colors", "Red"), RGB(255, 0, 0));
    EXPECT_EQ(skin.GetColor("Colors", "Wrapped"), RGB(44, 1, 2));  // 300 modulo 256
    EXPECT_EQ(skin.GetColor("Colors", "Half"), RGB(10, 0, 0));     // the rest does not read
    EXPECT_EQ(skin.GetColor("Colors", "Plain"), 0u);
    EXPECT_FALSE(skin.FindColor("Colors", "Plain").has_value());
    EXPECT_EQ(skin.GetColor("Colors", "Missing"), 0u);
    EXPECT_EQ(skin.GetColor("Nowhere", "Red"), 0u);

    GradientStyle g;
    ASSERT_EQ(skin.GetGradientStyle("Colors", "Grad", g), 1);
    EXPECT_EQ(g.clrBegin, RGB(255, 0, 0));
    EXPECT_EQ(g.clrEnd, RGB(255, 0, 0));  // no end colour repeats the begin colour
    EXPECT_EQ(g.nDrawStyle, 3);
    EXPECT_EQ(g.strText, "标题");
    GradientStyle g2;
    g2.nDrawStyle = 9;
    ASSERT_EQ(skin.GetGradientStyle("Colors", "Grad2", g2), 1);
    EXPECT_EQ(g2.clrBegin, RGB(1, 2, 3));
    EXPECT_EQ(g2.clrEnd, RGB(4, 5, 6));
    EXPECT_EQ(g2.nDrawStyle, 9);  // kept when the skin has none
    EXPECT_TRUE(g2.strText.empty());
    EXPECT_EQ(g2.strImagePath, skin.GetSkinDir() + "skin/Error.png");
}

TEST_F(SkinManagerTest, ImagesComeFromTheSkinFolder) {
    WriteSkin(dir.Path(), "skin",
              "<Bar><Logo image=\"img\\Logo.PNG\"/><Same image=\"IMG/logo.png\"/>"
              "<Broken image=\"nothing.png\"/></Bar>\n");
    WritePng(dir.Path() / "skin" / "img" / "logo.png", 6, 4, RGB(10, 200, 30));
    WritePng(dir.Path() / "skin" / "Error.png", 2, 2, RGB(255, 0, 255));
    ASSERT_TRUE(skin.SelectSkin("skin"));
    EXPECT_GE(skin.GetArchiveCount(), 3u);  // the skin file and both images
    EXPECT_TRUE(skin.HasArchiveEntry("IMG/LOGO.png"));

    CImage* logo = skin.GetImage("Bar", "Logo", "image");
    ASSERT_NE(logo, nullptr);
    ASSERT_FALSE(logo->IsNull());
    EXPECT_EQ(logo->GetWidth(), 6);
    EXPECT_EQ(logo->GetHeight(), 4);
    EXPECT_EQ(logo->GetPixel(1, 1) & 0xFFFFFF, 0x0AC81Eu);  // ARGB of RGB(10,200,30)

    // The same file asked for in another letter case is the same image object.
    EXPECT_EQ(skin.GetImage("Bar", "Same", "image"), logo);
    EXPECT_EQ(skin.GetImage("Bar", "Logo", "image"), logo);

    // A missing element gives the error image; a missing file an image without bitmap.
    CImage* error = skin.GetImage("Bar", "Nope", "image");
    ASSERT_FALSE(error->IsNull());
    EXPECT_EQ(error->GetWidth(), 2);
    EXPECT_TRUE(skin.GetImage("Bar", "Broken", "image")->IsNull());
}

TEST_F(SkinManagerTest, ASkinChangeDecodesKnownImagesAgainIntoTheSameObject) {
    WriteSkin(dir.Path(), "day", "<Bar><Logo image=\"logo.png\"/></Bar>\n");
    WriteSkin(dir.Path(), "night", "<Bar><Logo image=\"logo.png\"/></Bar>\n");
    WritePng(dir.Path() / "day" / "logo.png", 3, 3, RGB(255, 255, 255));
    WritePng(dir.Path() / "night" / "logo.png", 5, 5, RGB(0, 0, 0));
    ASSERT_TRUE(skin.SelectSkin("day"));
    CImage* logo = skin.GetImage("Bar", "Logo", "image");
    EXPECT_EQ(logo->GetWidth(), 3);
    EXPECT_FALSE(skin.SelectSkin("day"));  // already current: nothing reloads
    ASSERT_TRUE(skin.SelectSkin("night"));
    EXPECT_EQ(skin.GetImage("Bar", "Logo", "image"), logo);
    EXPECT_EQ(logo->GetWidth(), 5);
    EXPECT_FALSE(skin.HasArchiveEntry("missing.png"));
}

TEST_F(SkinManagerTest, SelectingASkinLoadsTheCommonColoursThenTellsListeners) {
    WriteSkin(dir.Path(), "skin",
              "<CommmonColor>\n"
              "  <uniRise color=\"RGB(250,20,20)\"/>\n"
              "  <uniStatus_Back color=\"RGB(11,12,13)\"/>\n"
              "  <uniDlgTemplateClose color=\"RGB(1,2,3)\"/>\n"
              "</CommmonColor>\n");
    CommonVar* common = GetCommonVar();
    common->m_colors.fill(RGB(9, 9, 9));
    COLORREF seenByListener = 0;
    int calls = 0;
    int id = skin.AddSkinListener([&] {
        ++calls;
        seenByListener = common->GetColor(CommonColor::uniRise);
    });
    ASSERT_TRUE(skin.SelectSkin("skin"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seenByListener, RGB(250, 20, 20));  // the colours were there before the listener ran
    EXPECT_EQ(common->GetColor(CommonColor::uniStatus_Back), RGB(11, 12, 13));
    EXPECT_EQ(common->GetColor(CommonColor::uniDlgTemplateClose), RGB(1, 2, 3));
    EXPECT_EQ(common->GetColor(CommonColor::uniFall), 0u);  // not in the skin: black
    EXPECT_EQ(common->GetColor(CommonColor::Line1), RGB(255, 255, 255));
    EXPECT_EQ(common->GetColor(CommonColor::Line8), RGB(128, 128, 128));
    skin.RemoveSkinListener(id);
    WriteSkin(dir.Path(), "other", "");
    skin.SelectSkin("other");
    EXPECT_EQ(calls, 1);
}

TEST_F(SkinManagerTest, ADamagedSkinFileLeavesNoDocument) {
    skin_test::WriteFile(dir.Path() / "skin" / "Devazedad_skin.xml", "<Devazedad_skin><a>");
    skin.SelectSkin("skin");
    EXPECT_FALSE(skin.HasDocument());
    EXPECT_EQ(skin.GetColor("a", "b"), 0u);
    EXPECT_EQ(skin.LoadSkinXml((dir.Path() / "none.xml").string()), 0);
}

TEST_F(SkinManagerTest, TheArchiveKeepsToItsBounds) {
    skin.AddArchiveEntry("a.png", std::vector<unsigned char>(10, 1));
    skin.AddArchiveEntry("A.PNG", std::vector<unsigned char>(20, 1));  // replaces
    EXPECT_EQ(skin.GetArchiveCount(), 1u);
    std::filesystem::create_directories(dir.Path() / "big");
    {
        std::ofstream big(dir.Path() / "big" / "huge.bin", std::ios::binary);
        big.seekp(CSkinResManager::kMaxFileBytes + 1);
        big.put('x');
    }
    skin_test::WriteFile(dir.Path() / "big" / "small.txt", "ok");
    EXPECT_EQ(skin.LoadArchiveFromDirectory((dir.Path() / "big").string()), 1);
    EXPECT_TRUE(skin.HasArchiveEntry("small.txt"));
    EXPECT_FALSE(skin.HasArchiveEntry("huge.bin"));
    EXPECT_EQ(skin.LoadArchiveFromDirectory((dir.Path() / "absent").string()), 0);
}

}  // namespace
