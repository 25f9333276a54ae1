#include "app/ShellCommon.h"

#include <map>

#include "formula/YBIndClass.h"
#include "ui/element/ElementEnv.h"

namespace {
const std::map<std::string, std::string>& ModeKeys() {
    static const std::map<std::string, std::string> keys = {
        {"training", "特训场"},
        {"trend", "分析走势"},
        {"trendtraining", "趋势训练"},
        {"selstocktraining", "选股训练"},
    };
    return keys;
}
}  // namespace

CommonColorTable& ShellColours() {
    static CommonColorTable table = [] {
        CommonColorTable t{};
        SetDefaultCommonColours(t);
        return t;
    }();
    return table;
}

void InitShellCommon() {
    GetElementEnv().colours = ShellColours().data();
    SetFormulaColorTable(ShellColours().data());
}

void CreateShellSkin() {}

void FreeShellSkin() {}

std::string ShellTitleByKey(const std::string& key) {
    auto it = ModeKeys().find(key);
    return it == ModeKeys().end() ? std::string() : it->second;
}

std::string ShellKeyByTitle(const std::string& title) {
    for (const auto& [key, value] : ModeKeys())
        if (value == title) return key;
    return {};
}
