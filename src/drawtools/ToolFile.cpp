#include "drawtools/ToolFile.h"

#include <tinyxml2.h>

#include <cstdio>

#include "drawtools/AssistLines.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/TriangleLines.h"
#include "foundation/AtomicFile.h"
#include "foundation/MyLog.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"

namespace {

constexpr const char* kRoot = "_Tarrow_DrawTool";
constexpr const char* kInfo = "ToolsInfo";

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
    std::string error;
    const XmlLoadResult r = LoadXmlFile(doc, path, &error);
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

bool SaveToolFile(const std::string& path, const ToolFileInfo& info,
                  const std::vector<std::shared_ptr<CRecRgnLines>>& tools, std::string* error) {
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    tinyxml2::XMLElement* root = doc.NewElement(kRoot);
    doc.InsertEndChild(root);
    tinyxml2::XMLElement* list = root->InsertNewChildElement(kInfo);
    list->SetAttribute("Station", info.station);
    list->SetAttribute("Code", info.code.c_str());
    list->SetAttribute("DataType", info.dataType);
    list->SetAttribute("Period", info.period);
    for (const auto& tool : tools) {
        // The pan tool lives only while it is dragged.
        if (!tool || dynamic_cast<const CHorizontalMoveAssistor*>(tool.get())) continue;
        tinyxml2::XMLElement* e = list->InsertNewChildElement("element");
        e->SetAttribute("Type", tool->GetTypeName());
        tool->saveToXml(e);
    }
    return SaveXmlFile(doc, path, error);
}
