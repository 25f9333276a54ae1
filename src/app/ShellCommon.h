#pragma once
// The shell's side of the common variables and resources that every window reads: the
// live colour table, the workspace mode titles and their layout keys, the skin. Start-up
// calls InitShellCommon once; element windows, cutters and the formula engine then read
// the same table.
#include <string>

#include "foundation/CommonColors.h"

void InitShellCommon();
void CreateShellSkin();
void FreeShellSkin();

// The live colour table (65 slots; the formula engine keeps its address).
CommonColorTable& ShellColours();

// Workspace modes: layout key -> title ("training" -> "特训场", "trend" -> "分析走势",
// "trendtraining" -> "趋势训练", "selstocktraining" -> "选股训练").
std::string ShellTitleByKey(const std::string& key);
std::string ShellKeyByTitle(const std::string& title);
