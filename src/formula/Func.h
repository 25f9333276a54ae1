#pragma once
// The function catalogue ("Func.xml"): one entry per function of the formula language with
// its remark, group and description, for the function reference of the formula editor.

#include <string>
#include <vector>

#include "foundation/SortArray.h"

class CFunc {
public:
    virtual ~CFunc() = default;

    std::string m_strName;    // "FuncName", the sort key (case-sensitive)
    std::string m_strRemark;  // "FuncRemark"
    std::string m_strGroup;   // "FuncGroup"
    std::string m_strShow;    // "FuncShow"
    std::string m_strDesc;    // "FuncDesc"

    // Adds the entries of dir + "Func.xml" that are not yet in the catalogue.
    static void LoadFunctions(const std::string& dir = "");
};

inline int SortArrayCompare(const CFunc& a, const CFunc& b) {
    int c = a.m_strName.compare(b.m_strName);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

CSortArray<CFunc>& GetFuncCatalogue();

// The thirteen groups; index 0 lists every function.
const std::vector<std::string>& GetFuncGroups();
// Entries of group index (0: all), in name order. Groups match without regard to case.
std::vector<const CFunc*> GetFunctionsOfGroup(int group);
