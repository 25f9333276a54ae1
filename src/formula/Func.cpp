#include "formula/Func.h"

#include <strings.h>
#include <tinyxml2.h>

#include "foundation/MyLog.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"

CSortArray<CFunc>& GetFuncCatalogue() {
    static CSortArray<CFunc> catalogue = [] {
        CSortArray<CFunc> a;
        a.SetAscending(true);
        return a;
    }();
    return catalogue;
}

const std::vector<std::string>& GetFuncGroups() {
    static const std::vector<std::string> groups = {
        "全部函数", "行情函数", "时间函数", "引用函数", "逻辑函数", "算术函数",  "统计函数",
        "指标函数", "常数函数", "绘图函数", "深度分析", "线形颜色", "字符串函数"};
    return groups;
}

void CFunc::LoadFunctions(const std::string& dir) {
    tinyxml2::XMLDocument doc;
    if (LoadXmlFile(doc, dir + "Func.xml") == XmlLoadResult::Ok && doc.RootElement()) {
        auto& cat = GetFuncCatalogue();
        for (auto* e = doc.RootElement()->FirstChildElement("FuncItem"); e;
             e = e->NextSiblingElement("FuncItem")) {
            CFunc f;
            f.m_strName = GetXmlAttrString(e, "FuncName");
            f.m_strRemark = GetXmlAttrString(e, "FuncRemark");
            f.m_strGroup = GetXmlAttrString(e, "FuncGroup");
            f.m_strShow = GetXmlAttrString(e, "FuncShow");
            f.m_strDesc = GetXmlAttrString(e, "FuncDesc");
            cat.Insert(f);
        }
    }
    GetAppLog().WriteLog("%s %d", "CFunc::LoadFunctions", 118);
}

std::vector<const CFunc*> GetFunctionsOfGroup(int group) {
    std::vector<const CFunc*> out;
    const auto& groups = GetFuncGroups();
    for (const auto& f : GetFuncCatalogue()) {
        if (group == 0 ||
            (group > 0 && group < static_cast<int>(groups.size()) &&
             strcasecmp(f.m_strGroup.c_str(), groups[static_cast<size_t>(group)].c_str()) == 0))
            out.push_back(&f);
    }
    return out;
}
