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
    GetSkinResManager();
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
