#pragma once
// What the tests of the review windows share: the platform started once for the program,
// and the program's own skin colours for the tests that look at pixels.
#include <string>

#include "platform/App.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"

inline void EnsureReviewPlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

// The colours of the shipped skin, so that a screenshot looks as the program does.
inline void LoadProgramSkin() {
    static CSkinResManager skin;
    skin.SetSkinDir(std::string(TARROW_SOURCE_DIR) + "/resources/Skin");
    // Selecting the skin a second time loads nothing: the colours are loaded every time, as
    // tests in between may have loaded others.
    skin.SelectSkin("skin");
    GetCommonVar()->LoadColours(&skin);
}
