#include "marketdata/SecurityIndParam.h"

#include <tinyxml2.h>

#include <cstdio>

#include "foundation/AtomicFile.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"

std::string SecurityIndParam::s_strProgramDir;

int SortArrayCompare(const CParamValue& a, const CParamValue& b) {
    if (a.m_nClass != b.m_nClass) return a.m_nClass < b.m_nClass ? -1 : 1;
    if (int c = a.m_strInd.compare(b.m_strInd)) return c < 0 ? -1 : 1;
    if (int c = a.m_strParam.compare(b.m_strParam)) return c < 0 ? -1 : 1;
    if (a.m_nDataType != b.m_nDataType) return a.m_nDataType < b.m_nDataType ? -1 : 1;
    if (a.m_nPeriod != b.m_nPeriod) return a.m_nPeriod < b.m_nPeriod ? -1 : 1;
    return 0;
}

int SortArrayCompare(const CExpParam& a, const CExpParam& b) {
    if (a.m_nClass != b.m_nClass) return a.m_nClass < b.m_nClass ? -1 : 1;
    if (int c = a.m_strInd.compare(b.m_strInd)) return c < 0 ? -1 : 1;
    if (int c = a.m_strSearchName.compare(b.m_strSearchName)) return c < 0 ? -1 : 1;
    return 0;
}

SecurityIndParam::SecurityIndParam(const CIndSecuCode& owner) : m_Owner(owner) {
    m_aParams.SetAscending(true);
    m_aExps.SetAscending(true);
}

SecurityIndParam::~SecurityIndParam() {
    if (m_bParamsChanged) {
        SaveParams();
        m_bParamsChanged = 0;
    }
    if (m_bExpsChanged) {
        SaveExps();
        m_bExpsChanged = 0;
    }
}

namespace {
std::string BasePath(const std::string& dir, const CIndSecuCode& code) {
    const char* market = code.m_nMarket == 1 ? "sh" : code.m_nMarket == 2 ? "sz" : "";
    return dir + "Self/" + market + "/Tool/" + code.m_strCode;
}

// Numbers of the files: a missing or non-numeric attribute reads 0.
double AttrDouble(const tinyxml2::XMLElement* e, const char* name) {
    double v = 0;
    return e->QueryDoubleAttribute(name, &v) == tinyxml2::XML_SUCCESS ? v : 0;
}

std::string FormatG(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
}  // namespace

std::string SecurityIndParam::ParamFilePath() const {
    return BasePath(s_strProgramDir, m_Owner) + ".par";
}

std::string SecurityIndParam::ExpFilePath() const {
    return BasePath(s_strProgramDir, m_Owner) + ".exp";
}

void SecurityIndParam::AcquireParams() {
    if (m_nParamUse < 1) {
        m_nParamUse = 0;
        LoadParams();
        m_bParamsChanged = 0;
    }
    ++m_nParamUse;
}

void SecurityIndParam::ReleaseParams() {
    if (--m_nParamUse > 0) return;
    m_nParamUse = 0;
    if (m_bParamsChanged) {
        SaveParams();
        m_bParamsChanged = 0;
    }
}

void SecurityIndParam::AcquireExps() {
    if (m_nExpUse < 1) {
        m_nExpUse = 0;
        LoadExps();
        m_bExpsChanged = 0;
    }
    ++m_nExpUse;
}

void SecurityIndParam::ReleaseExps() {
    if (--m_nExpUse > 0) return;
    m_nExpUse = 0;
    if (m_bExpsChanged) {
        SaveExps();
        m_bExpsChanged = 0;
    }
}

void SecurityIndParam::LoadParams() {
    tinyxml2::XMLDocument doc;
    XmlLoadResult loaded = LoadXmlFile(doc, ParamFilePath());
    if (loaded == XmlLoadResult::Damaged)
        KeepAside(ParamFilePath());  // a later save must not overwrite what may still be recovered
    if (loaded != XmlLoadResult::Ok || !doc.RootElement()) return;
    for (auto* e = doc.RootElement()->FirstChildElement("Parv"); e;
         e = e->NextSiblingElement("Parv")) {
        CParamValue v;
        v.m_nVersion = GetXmlAttrInt(e, "version");
        v.m_nClass = static_cast<int16_t>(GetXmlAttrInt(e, "Class"));
        v.m_strInd = GetXmlAttrString(e, "Ind");
        v.m_strParam = GetXmlAttrString(e, "Param");
        v.m_nDataType = static_cast<int16_t>(GetXmlAttrInt(e, "DataType"));
        v.m_nPeriod = static_cast<int16_t>(GetXmlAttrInt(e, "pe"));
        v.m_fParam = AttrDouble(e, "fParam");
        m_aParams.Insert(v);
    }
}

void SecurityIndParam::LoadExps() {
    tinyxml2::XMLDocument doc;
    XmlLoadResult loaded = LoadXmlFile(doc, ExpFilePath());
    if (loaded == XmlLoadResult::Damaged)
        KeepAside(ExpFilePath());  // a later save must not overwrite what may still be recovered
    if (loaded != XmlLoadResult::Ok || !doc.RootElement()) return;
    for (auto* e = doc.RootElement()->FirstChildElement("ExpPar"); e;
         e = e->NextSiblingElement("ExpPar")) {
        CExpParam v;
        v.m_nVersion = GetXmlAttrInt(e, "version");
        v.m_nClass = static_cast<int16_t>(GetXmlAttrInt(e, "Class"));
        v.m_strInd = GetXmlAttrString(e, "Ind");
        v.m_strSearchName = GetXmlAttrString(e, "SearchName");
        v.m_nThick = static_cast<int16_t>(GetXmlAttrInt(e, "Thick"));
        unsigned color = 0;
        if (e->QueryUnsignedAttribute("Color", &color) != tinyxml2::XML_SUCCESS)
            color = static_cast<uint32_t>(GetXmlAttrInt(e, "Color"));
        v.m_crColor = color;
        v.m_bSelfThick = static_cast<uint8_t>(GetXmlAttrInt(e, "SelfThick"));
        v.m_bSelfColor = static_cast<uint8_t>(GetXmlAttrInt(e, "SelfColor"));
        m_aExps.Insert(v);
    }
}

bool SecurityIndParam::SaveParams() const {
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    auto* root = doc.NewElement("IndPar");
    doc.InsertEndChild(root);
    for (const auto& v : m_aParams) {
        auto* e = doc.NewElement("Parv");
        e->SetAttribute("version", v.m_nVersion);
        e->SetAttribute("Class", v.m_nClass);
        e->SetAttribute("Ind", v.m_strInd.c_str());
        e->SetAttribute("Param", v.m_strParam.c_str());
        e->SetAttribute("DataType", v.m_nDataType);
        e->SetAttribute("pe", v.m_nPeriod);
        e->SetAttribute("fParam", FormatG(v.m_fParam).c_str());
        root->InsertEndChild(e);
    }
    return SaveXmlFile(doc, ParamFilePath());
}

bool SecurityIndParam::SaveExps() const {
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    auto* root = doc.NewElement("IndExpPar");
    doc.InsertEndChild(root);
    for (const auto& v : m_aExps) {
        auto* e = doc.NewElement("ExpPar");
        e->SetAttribute("version", v.m_nVersion);
        e->SetAttribute("Class", v.m_nClass);
        e->SetAttribute("Ind", v.m_strInd.c_str());
        e->SetAttribute("SearchName", v.m_strSearchName.c_str());
        e->SetAttribute("Thick", v.m_nThick);
        e->SetAttribute("Color", static_cast<unsigned>(v.m_crColor));
        e->SetAttribute("SelfThick", v.m_bSelfThick);
        e->SetAttribute("SelfColor", v.m_bSelfColor);
        root->InsertEndChild(e);
    }
    return SaveXmlFile(doc, ExpFilePath());
}

void SecurityIndParam::SetParamValue(const CParamValue& value) {
    for (auto& v : m_aParams) {
        if (SortArrayCompare(v, value) == 0) {
            v.m_fParam = value.m_fParam;
            v.m_nVersion = value.m_nVersion;
            m_bParamsChanged = 1;
            return;
        }
    }
    m_aParams.Insert(value);
    m_bParamsChanged = 1;
}

void SecurityIndParam::SetExpParam(const CExpParam& value) {
    for (auto& v : m_aExps) {
        if (SortArrayCompare(v, value) == 0) {
            v = value;
            m_bExpsChanged = 1;
            return;
        }
    }
    m_aExps.Insert(value);
    m_bExpsChanged = 1;
}
