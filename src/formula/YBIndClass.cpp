#include "formula/YBIndClass.h"

#include <tinyxml2.h>

#include "formula/BuiltinEvaluators.h"
#include "formula/DataLoaders.h"
#include "formula/FormulaMarket.h"
#include "formula/engine/EngineTables.h"
#include "formula/engine/SouceEditor.h"
#include "foundation/AtomicFile.h"
#include "foundation/MyLog.h"
#include "foundation/XmlFile.h"
#include "marketdata/SecurityIndParam.h"

namespace {
IFormulaMarket* g_market = nullptr;
COLORREF* g_colorTable = nullptr;
}  // namespace

void SetFormulaMarket(IFormulaMarket* market) {
    g_market = market;
}

IFormulaMarket* GetFormulaMarket() {
    return g_market;
}

void SetFormulaColorTable(COLORREF* table) {
    g_colorTable = table;
}

CYBIndClass::CYBIndClass() {
    m_aInds.SetAscending(true);
}

CYBIndClass::~CYBIndClass() = default;

CYBIndClass* GetYBIndClass() {
    static CYBIndClass instance;
    return &instance;
}

void CYBIndClass::Read(const std::string& path) {
    tinyxml2::XMLDocument doc;
    XmlLoadResult loaded = LoadXmlFile(doc, path);
    // The catalogue is rewritten at exit: a file that does not parse is moved aside first
    // so the user's formulas in it are not overwritten.
    if (loaded == XmlLoadResult::Damaged) KeepAside(path);
    if (loaded == XmlLoadResult::Ok && doc.RootElement()) {
        for (auto* e = doc.RootElement()->FirstChildElement("IndItem"); e;
             e = e->NextSiblingElement("IndItem")) {
            CKlineLight ind;
            ind.Read(e);
            m_aInds.Insert(ind);
        }
    }
    GetAppLog().WriteLog("%s %d", "CYBIndClass::Read", 40);
}

bool CYBIndClass::Write(const std::string& path) const {
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    auto* root = doc.NewElement("IndClass");
    doc.InsertEndChild(root);
    for (const auto& ind : m_aInds) {
        auto* e = doc.NewElement("IndItem");
        root->InsertEndChild(e);
        ind.Write(e);
    }
    return SaveXmlFile(doc, path);
}

int CYBIndClass::Insert(const CKlineLight& ind) {
    return m_aInds.Insert(ind);
}

int CYBIndClass::Find(const CKlineLight& key) const {
    return m_aInds.Find(key);
}

int CYBIndClass::Find(const std::string& name) const {
    CKlineLight key;
    key.m_strName = name;
    return m_aInds.Find(key);
}

int CYBIndClass::Update(const CKlineLight& edited) {
    const int i = Find(edited.m_strName);
    CKlineLight candidate;
    if (i >= 0) {
        candidate = GetAt(i);
    } else {
        candidate.m_strName = edited.m_strName;
        candidate.m_strDesc = edited.m_strDesc;
        candidate.m_strHelp = edited.m_strHelp;
        candidate.m_nMainChart = edited.m_nMainChart;
        candidate.m_aAxeValues = edited.m_aAxeValues;
    }
    candidate.m_aParams = edited.m_aParams;
    std::string message;
    int first = 0, last = 0;
    if (candidate.GetRepInfo(edited.m_strFormula, message, first, last) != 0) return -1;
    if (i < 0) return m_aInds.Insert(candidate);
    m_aInds[static_cast<size_t>(i)] = candidate;
    return i;
}

void CYBIndClass::SetUp() {
    if (g_colorTable) CIndicatorExp::m_pColor = g_colorTable;
    if (!g_market) g_market = GetDataCenterMarket();
    InstallBuiltinEvaluators();
    InstallDataLoaders();
    CKlineLight::m_pfGetParValue = &GetParValue;
    CSouceEditor::m_pfFindInd = &FindInd;
    CSouceEditor::m_pfCheckSecu = &CheckSecu;
    static constexpr int32_t kPeriods[kDataTypeAndPeriodSize] = {2, 3, 4, 5, 6, 13, 1,
                                                                 2, 3, 4, 5, 6, -1};
    for (int i = 0; i < kDataTypeAndPeriodSize; ++i) m_DataTypeAndPeriod[i] = kPeriods[i];
    GetAppLog().WriteLog("%s %d", "CYBIndClass::SetUp", 162);
}

void BindIndicatorSecurity(const CIndSecuCode& code, CKlineLight& ind) {
    ind.m_SecuCode = code;
    SecurityIndParam* set = g_market ? g_market->GetParamSet(code) : nullptr;
    if (!set) return;
    auto* old = static_cast<SecurityIndParam*>(ind.m_pParamSet);
    if (old == set) return;
    if (old) {
        old->ReleaseParams();
        old->ReleaseExps();
    }
    ind.m_pParamSet = set;
    set->AcquireParams();
    set->AcquireExps();
}

void UnbindIndicatorSecurity(CKlineLight& ind) {
    if (auto* old = static_cast<SecurityIndParam*>(ind.m_pParamSet)) {
        old->ReleaseParams();
        old->ReleaseExps();
    }
    ind.m_pParamSet = nullptr;
}

double GetParValue(CKlineLight* ind, int index, void* paramSet) {
    if (!ind || index < 0 || index >= static_cast<int>(ind->m_aParams.size())) return 0;
    const CIndicatorParam& row = ind->m_aParams[static_cast<size_t>(index)];
    if (row.m_bFixed) return row.m_dFixedValue;
    if (paramSet) {
        auto* set = static_cast<SecurityIndParam*>(paramSet);
        CParamValue key;
        key.m_nClass = 0;
        key.m_strInd = ind->m_strName;
        key.m_strParam = row.m_strName;
        key.m_nDataType = ind->m_nDataType;
        key.m_nPeriod = ind->m_nPeriod;
        int i = set->m_aParams.Find(key);
        if (i >= 0 && set->m_aParams[static_cast<size_t>(i)].m_nVersion >= 0)
            return set->m_aParams[static_cast<size_t>(i)].m_fParam;
    }
    return row.m_dDefault;
}

std::unique_ptr<CKlineLight> FindInd(const std::string& name) {
    CYBIndClass* cat = GetYBIndClass();
    int i = cat->Find(name);
    if (i < 0) return nullptr;
    auto copy = std::make_unique<CKlineLight>();
    *copy = cat->GetAt(i);
    return copy;
}

int CheckSecu(const CIndSecuCode& code) {
    return g_market && g_market->HasSecurity(code) ? 1 : 0;
}
