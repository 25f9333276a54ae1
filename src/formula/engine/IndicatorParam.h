#pragma once
// One parameter row of an indicator: its range for the parameter dialog, its default, and
// an optional fixed value that overrides whatever a security stores.

#include <cstdint>
#include <string>

class CIndicatorParam {
public:
    std::string m_strName;
    double m_dMax = 100;
    double m_dMin = 0;
    double m_dDefault = 0;
    double m_dStep = 1;
    int32_t m_nStepCount = 0;
    double m_dFixedValue = 0;
    int32_t m_bFixed = 0;
    // A caller (the indicator reference) may force a value for one evaluation.
    int32_t m_bSet = 0;
    double m_dSetValue = 0;

    friend bool operator==(const CIndicatorParam&, const CIndicatorParam&) = default;
};
