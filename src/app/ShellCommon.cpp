#include "app/ShellCommon.h"

#include <filesystem>

#include "formula/YBIndClass.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"

void InitShellCommon() {
    GetCommonResouce()->Init();
    CommonVar* cv = GetCommonVar();
    cv->Init();
    SetDefaultCommonColours(cv->Colors());
    SetFormulaColorTable(cv->Colors().data());
}

void CreateShellSkin() {
    // The skin is applied as the manager is made, so the common colours are the skin's
    // before the main frame creates the value panel and the download popup; the frame's
    // own apply step then finds the skin current and does nothing.
    GetSkinResManager();
    ApplyShellSkin("skin");
}

bool ApplyShellSkin(const std::string& name) {
    CSkinResManager* skin = GetSkinResManager();
    if (skin->GetSkinName() == name) return false;
    const std::filesystem::path file =
        std::filesystem::path(skin->GetSkinDir()) / name / CSkinResManager::kSkinFile;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return false;
    return skin->SelectSkin(name);
}

void FreeShellSkin() {
    DeleteSkinResManager();
}
