#pragma once
// The drawing tools by their three keys: the tool number of the tool bar and the drawing
// mode (1 to 65), the command id of the tool bar button, and the type name of the tool
// file. Tools register their classes here; the catalogue lists every number and name the
// tool bar and the files know, built or not.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CRecRgnLines;

struct ToolCatalogueEntry {
    int number;               // tool number; 0 for the factory-only types
    const char* typeName;     // key in the tool file; empty for tools never stored
    const char* displayName;  // GBK-family text shown to the user (UTF-8 here)
};

// Every row of the catalogue, tool numbers ascending, then the factory-only types.
const std::vector<ToolCatalogueEntry>& ToolCatalogue();
const ToolCatalogueEntry* FindToolByNumber(int number);

// Mode values: tool number in the low word, the symbol tool's variant in the high word.
inline constexpr int kModeSelect = 4;
inline constexpr int kSymbolTool = 65;
inline constexpr int kTextTool = 64;
inline constexpr int kFirstToolCommand = 50000;  // tool 5
inline constexpr int kLastToolCommand = 50102;   // the price tag
inline constexpr int MakeMode(int number, int variant = 0) {
    return int((uint32_t(variant) << 16) | (uint32_t(number) & 0xFFFF));
}
inline constexpr int ModeNumber(int mode) {
    return int(uint32_t(mode) & 0xFFFF);
}
inline constexpr int ModeVariant(int mode) {
    return int(uint32_t(mode) >> 16);
}

// The tool bar command of a mode: 49995 + number, and for the symbol tool 50060 (up arrow),
// 50061 (down arrow), 50102 (price tag) or 50062 + the symbol's variant.
int CommandForMode(int mode);
// The mode a tool bar command chooses; 0 for a command that is no tool.
int ModeForCommand(int command);

// A new tool of the class a stored type name names (exact, case-sensitive); null for a
// name no built tool answers to.
std::shared_ptr<CRecRgnLines> MakeDrawTool(const std::string& typeName);
// A new tool for a tool number (the marquee, the pan tool and the drawing tools); null
// for the numbers that create nothing and for tools not built. `variant` goes to the
// symbol tool.
std::shared_ptr<CRecRgnLines> CreateToolByNumber(int number, int variant = 0);
// The type names MakeDrawTool answers to.
std::vector<std::string> RegisteredTypeNames();
