#pragma once
// The file of one chart's drawings: "Data/Tools/<market>_<code>_<type*1000+period>.xml",
// GBK, declared gb2312, root "_Tarrow_DrawTool" with one "ToolsInfo" holding one
// "element" per tool in drawing order. Saves are atomic; a file that cannot be read as
// such is kept aside under another name (never overwritten by the next save).

#include <memory>
#include <string>
#include <vector>

class CRecRgnLines;

struct ToolFileInfo {
    int station = 0;   // market number
    std::string code;  // security code
    int dataType = 0;
    int period = 0;
};

// "%d_%s_%d.xml" of market, code and dataType * 1000 + period.
std::string ToolFileName(int market, const std::string& code, int dataType, int period);

enum class ToolFileLoad { Ok, Missing, Damaged };

// Reads the tools of a file in order (a version handed to the write-behind and not yet
// written is read instead of the disk's); elements of unknown types are skipped. A damaged
// file (not XML, or without the root and "ToolsInfo") is renamed aside (`keptAside`
// receives the new name) and gives no tools.
ToolFileLoad LoadToolFile(const std::string& path, std::vector<std::shared_ptr<CRecRgnLines>>& tools,
                          ToolFileInfo* info = nullptr, std::string* keptAside = nullptr);

// The file's bytes for the tools (an empty list gives an empty "ToolsInfo").
std::string ToolFileText(const ToolFileInfo& info, const std::vector<std::shared_ptr<CRecRgnLines>>& tools);

// Writes the tools now; the directory is created.
bool SaveToolFile(const std::string& path, const ToolFileInfo& info,
                  const std::vector<std::shared_ptr<CRecRgnLines>>& tools,
                  std::string* error = nullptr);

// Serialises the tools here and hands the bytes to the program's write-behind, which
// writes them atomically on its own thread (a failure is logged and reported by
// ReportToolFileErrors' sink).
void SaveToolFileBehind(const std::string& path, const ToolFileInfo& info,
                        const std::vector<std::shared_ptr<CRecRgnLines>>& tools);
