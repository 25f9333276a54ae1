#include "drawtools/ToolFile.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "drawtools/AssistLines.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolXml.h"
#include "drawtools/TriangleLines.h"
#include "foundation/AtomicFile.h"
#include "foundation/MyLog.h"
#include "foundation/TextCodec.h"
#include "foundation/WriteBehind.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"

namespace {

constexpr const char* kRoot = "_Tarrow_DrawTool";
constexpr const char* kInfo = "ToolsInfo";
// The declaration this file writes; files that begin with it take the quick conversion.
constexpr std::string_view kOwnDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>";

// A drawing file is almost all ASCII markup, which is the same in GBK and UTF-8: only the
// runs of other bytes (texts, pane names) go through the converter, not the whole file.
// A run ends at a character boundary (a GBK pair's second byte may lie in the ASCII
// range), so each is converted as the whole text would be.
void GbkToUtf8Runs(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() + text.size() / 8);
    size_t i = 0;
    while (i < text.size()) {
        size_t ascii = i;
        while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
        out.append(text.data() + i, ascii - i);
        if (ascii == text.size()) break;
        size_t end = ascii;
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) {
            const auto lead = static_cast<unsigned char>(text[end]);
            if (lead >= 0x81 && lead <= 0xFE && end + 1 < text.size()) {
                const auto trail = static_cast<unsigned char>(text[end + 1]);
                if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
                    end += 2;
                    continue;
                }
            }
            ++end;
        }
        out += AnsiToUtf8(text.substr(ascii, end - ascii));
        i = end;
    }
}

// The file's bytes and their UTF-8 text, kept from one load of the thread to the next. A
// chart reloads its file at every change of security or period, and buffers of a file's
// size freed after each load make the allocator sweep up every small block freed since
// (the tools of the previous file) and the next load's many small allocations slow. A
// buffer grown by an unusually large file is given back.
struct LoadBuffers {
    std::string bytes, utf8;
    void Trim() {
        constexpr size_t kKeep = size_t(4) << 20;
        if (bytes.capacity() > kKeep) std::string().swap(bytes);
        if (utf8.capacity() > kKeep) std::string().swap(utf8);
    }
};

XmlLoadResult LoadOwnFile(tinyxml2::XMLDocument& doc, const std::string& path) {
    thread_local LoadBuffers buffers;
    struct TrimAfter {
        LoadBuffers& b;
        ~TrimAfter() { b.Trim(); }
    } trim{buffers};
    std::string& bytes = buffers.bytes;
    // A version still on its way to the disk is the file's contents already.
    if (!GetWriteBehind().PendingBytes(path, bytes) && !ReadWholeFile(path, bytes))
        return XmlLoadResult::Missing;
    if (std::string_view(bytes).substr(0, kOwnDeclaration.size()) != kOwnDeclaration)
        return ParseXmlText(doc, bytes);
    // Embedded NULs end the text, as for any converted file.
    GbkToUtf8Runs(std::string_view(bytes.data(), std::strlen(bytes.c_str())), buffers.utf8);
    if (doc.Parse(buffers.utf8.data(), buffers.utf8.size()) != tinyxml2::XML_SUCCESS) {
        doc.Clear();
        return XmlLoadResult::Damaged;
    }
    return XmlLoadResult::Ok;
}

}  // namespace

std::string ToolFileName(int market, const std::string& code, int dataType, int period) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%d_%s_%d.xml", market, code.c_str(), dataType * 1000 + period);
    return buf;
}

ToolFileLoad LoadToolFile(const std::string& path, std::vector<std::shared_ptr<CRecRgnLines>>& tools,
                          ToolFileInfo* info, std::string* keptAside) {
    tools.clear();
    tinyxml2::XMLDocument doc;
    const XmlLoadResult r = LoadOwnFile(doc, path);
    if (r == XmlLoadResult::Missing) return ToolFileLoad::Missing;
    const tinyxml2::XMLElement* root = r == XmlLoadResult::Ok ? doc.FirstChildElement(kRoot) : nullptr;
    const tinyxml2::XMLElement* list = root ? root->FirstChildElement(kInfo) : nullptr;
    if (!list) {
        const std::string aside = KeepAside(path);
        GetAppLog().WriteLog("%s %d damaged drawing file %s kept as %s", "LoadToolFile", 1,
                             path.c_str(), aside.c_str());
        if (keptAside) *keptAside = aside;
        return ToolFileLoad::Damaged;
    }
    if (info) {
        info->station = GetXmlAttrInt(list, "Station");
        info->code = GetXmlAttrString(list, "Code");
        info->dataType = GetXmlAttrInt(list, "DataType");
        info->period = GetXmlAttrInt(list, "Period");
    }
    for (const tinyxml2::XMLElement* e = list->FirstChildElement("element"); e;
         e = e->NextSiblingElement("element")) {
        std::shared_ptr<CRecRgnLines> tool = MakeDrawTool(GetXmlAttrString(e, "Type"));
        if (!tool) continue;
        tool->loadFromXml(e);
        tools.push_back(std::move(tool));
    }
    return ToolFileLoad::Ok;
}

std::string ToolFileText(const ToolFileInfo& info, const std::vector<std::shared_ptr<CRecRgnLines>>& tools) {
    std::string out;
    out.reserve(256 + tools.size() * 400);
    out += kOwnDeclaration;
    ToolTextWriter text(out);
    text.Open(kRoot, 0);
    text.Open(kInfo, 1);
    ToolXmlOut list(&text, 1);
    list.Int("Station", info.station);
    list.Text("Code", info.code);
    list.Int("DataType", info.dataType);
    list.Int("Period", info.period);
    for (const auto& tool : tools) {
        // The pan tool lives only while it is dragged.
        if (!tool || dynamic_cast<const CHorizontalMoveAssistor*>(tool.get())) continue;
        ToolXmlOut e = list.Child("element");
        e.Text("Type", tool->GetTypeName());
        tool->saveToXml(e);
    }
    text.CloseTo(0);
    return out;
}

bool SaveToolFile(const std::string& path, const ToolFileInfo& info,
                  const std::vector<std::shared_ptr<CRecRgnLines>>& tools, std::string* error) {
    return WriteFileAtomic(path, ToolFileText(info, tools), error);
}

void SaveToolFileBehind(const std::string& path, const ToolFileInfo& info,
                        const std::vector<std::shared_ptr<CRecRgnLines>>& tools) {
    GetWriteBehind().Write(path, ToolFileText(info, tools));
}
