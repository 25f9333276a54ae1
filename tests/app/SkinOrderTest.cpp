// Start-up loads the skin's colours when it creates the skin manager, before the main
// frame makes the windows that take their colours at creation.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ShellCommon.h"
#include "common/ScratchDir.h"
#include "marketdata/AppInfo.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"

namespace {

TEST(SkinOrder, CreatingTheSkinManagerLoadsTheSkinColours) {
    ScratchDir home;
    std::filesystem::create_directories(home.Path() / "Skin" / "skin");
    std::filesystem::copy_file(
        std::string(TARROW_SOURCE_DIR) + "/resources/Skin/skin/Devazedad_skin.xml",
        home.Path() / "Skin" / "skin" / "Devazedad_skin.xml");
    GetAppInfo()->SetProgramDir(home.Path().string());
    DeleteSkinResManager();
    CommonVar* v = GetCommonVar();
    v->m_colors.fill(0);

    CreateShellSkin();
    // What a dialog made now reads: the skin's colours, not black.
    CSkinResManager* skin = GetSkinResManager();
    EXPECT_EQ(skin->GetSkinName(), "skin");
    EXPECT_EQ(v->GetColor(CommonColor::uniDlgTemplateBK), skin->GetColor("CommmonColor", "uniDlgTemplateBK"));
    EXPECT_NE(v->GetColor(CommonColor::uniDlgTemplateBK), 0u);
    EXPECT_NE(v->GetColor(CommonColor::uniPic_CurPicBack_Begin), 0u);
    // The frame's own apply step later changes nothing.
    EXPECT_FALSE(ApplyShellSkin("skin"));
    DeleteSkinResManager();
}

}  // namespace
