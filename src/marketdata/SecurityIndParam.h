#pragma once
// Per-security indicator settings: stored parameter values (".par") and display settings of
// output lines (".exp"), kept as a member of each security record. Each half is loaded when
// its first user acquires it and written back when the last user releases a changed set,
// or when the set is destroyed.
//
// It lives with the security record that owns it; the formula bridge, above market data,
// reads and writes it through the record.

#include <cstdint>
#include <string>

#include "foundation/IndSecuCode.h"
#include "foundation/SortArray.h"

// One stored parameter value. Order and equality: class, indicator, parameter (case-
// sensitive), data type, period; value and version take no part.
struct CParamValue {
    int16_t m_nClass = 0;
    std::string m_strInd;
    std::string m_strParam;
    int16_t m_nDataType = 4;
    int16_t m_nPeriod = 1;
    double m_fParam = 0;
    int32_t m_nVersion = 0;
};
int SortArrayCompare(const CParamValue& a, const CParamValue& b);

// Display settings of one output line. Order and equality: class, indicator, line name.
struct CExpParam {
    int16_t m_nClass = 0;
    std::string m_strInd;
    std::string m_strSearchName;
    uint8_t m_bSelfThick = 0;
    uint8_t m_bSelfColor = 0;
    int16_t m_nThick = 0;
    uint32_t m_crColor = 0;
    int32_t m_nVersion = 0;
};
int SortArrayCompare(const CExpParam& a, const CExpParam& b);

class SecurityIndParam {
public:
    explicit SecurityIndParam(const CIndSecuCode& owner = {});
    SecurityIndParam(const SecurityIndParam&) = delete;
    SecurityIndParam& operator=(const SecurityIndParam&) = delete;
    // Saves each changed half, then frees both arrays.
    virtual ~SecurityIndParam();

    // "Self/" + market part ("sh", "sz" or empty) + "/Tool/" + code + ".par" / ".exp",
    // under the program directory (a prefix ending in '/', empty for the current directory).
    std::string ParamFilePath() const;
    std::string ExpFilePath() const;

    void AcquireParams();
    void ReleaseParams();
    void AcquireExps();
    void ReleaseExps();

    // Loading inserts the file's records into the arrays (records already held stay);
    // a missing or damaged file changes nothing. Saving writes the whole array atomically.
    void LoadParams();
    void LoadExps();
    bool SaveParams() const;
    bool SaveExps() const;

    // Records a parameter value (replacing an equal entry) and marks the set changed.
    void SetParamValue(const CParamValue& value);
    void SetExpParam(const CExpParam& value);

    static std::string s_strProgramDir;

    int32_t m_nParamUse = 0;
    CSortArray<CParamValue> m_aParams;
    int32_t m_bParamsChanged = 0;
    int32_t m_nExpUse = 0;
    CSortArray<CExpParam> m_aExps;
    int32_t m_bExpsChanged = 0;
    CIndSecuCode m_Owner;  // the owning security's key
};
