#pragma once
// One indicator: its definition (name, formula text, parameter rows, fixed axis values), the
// security and period it is bound to, and after evaluation its output lines and draw
// functions. Copies share the compiled program; each copy evaluates on its own buffers.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formula/engine/IndSecuCode.h"
#include "formula/engine/IndicatorDrawFunc.h"
#include "formula/engine/IndicatorExp.h"
#include "formula/engine/IndicatorParam.h"
#include "formula/engine/ValueRecord.h"

namespace tinyxml2 {
class XMLElement;
}
struct FormulaProgram;
class CSouceEditor;

class CKlineLight {
public:
    // Value of parameter index of an indicator, given its attached per-security set.
    using GetParValueFn = double (*)(CKlineLight* ind, int index, void* paramSet);
    static GetParValueFn m_pfGetParValue;

    CKlineLight();
    CKlineLight(const CKlineLight& other);
    CKlineLight& operator=(const CKlineLight& other);
    virtual ~CKlineLight();

    friend bool operator==(const CKlineLight& a, const CKlineLight& b) {
        return a.m_strName == b.m_strName;
    }
    friend bool operator<(const CKlineLight& a, const CKlineLight& b) {
        return a.m_strName < b.m_strName;
    }
    friend bool operator>(const CKlineLight& a, const CKlineLight& b) {
        return a.m_strName > b.m_strName;
    }

    // One indicator per "IndItem" element. Read returns 0 when the element held a name.
    int Read(const tinyxml2::XMLElement* element);
    void Write(tinyxml2::XMLElement* element) const;

    // Compile checks: 0 when text compiles, else the error code with its message and the
    // character range [first, last). GetRepInfo also makes text the indicator's formula.
    int GetAxeInfo(const std::string& text, std::string& message, int& first, int& last);
    int GetRepInfo(const std::string& text, std::string& message, int& first, int& last);
    // Compiles the indicator's own formula and lays out its output lines and draw functions.
    int EvalLight(std::string& message, int& first, int& last);

    // Binds the indicator to a series; compiles when needed. 0 when ready.
    int InitialCalc(const CIndSecuCode& code, int16_t dataType, int16_t period);
    // Sizes every result for count bars (the bar count of the series).
    void MakeRoom(int count);
    // Evaluates over the calculation range (set by the caller, else [first, end)). Non-zero
    // when the values over [first, end) span another range than after the previous call.
    int Calc(int first, int end);

    double GetParamValue(int index);
    void Varialized();  // forgets computed values
    void GC();          // frees computed values and evaluation buffers

    bool IsCompiled() const { return static_cast<bool>(m_pProgram); }
    // Bit s set when the compiled formula reads loader slot s (0..63) of its own series.
    uint64_t OwnSeriesSlots() const;

    // Definition.
    std::string m_strName;
    std::string m_strDesc;  // the indicator's Chinese title
    std::string m_strFormula;
    std::string m_strHelp;
    int32_t m_nMainChart = 0;  // 1: drawn over the price pane
    std::vector<double> m_aAxeValues;
    std::vector<CIndicatorParam> m_aParams;

    // Results.
    std::vector<CIndicatorExp> m_aExps;      // output lines
    std::vector<CIndicatorExp> m_aDrawExps;  // draw-function arguments
    std::vector<CIndicatorDrawFunc> m_aDrawFuncs;

    // Binding.
    CIndSecuCode m_SecuCode;
    int16_t m_nDataType = 4;
    int16_t m_nPeriod = 1;
    void* m_pParamSet = nullptr;  // the security's stored parameters (owned by the security)
    void* m_pBars = nullptr;      // bar records of the data type (not owned)
    int32_t m_nBarCount = 0;
    int32_t m_nCalcFirst = 0;  // calculation range: first (inclusive), end (exclusive)
    int32_t m_nCalcEnd = 0;
    int32_t m_nShowFirst = 0;  // shown bars: first, end (exclusive)
    int32_t m_nShowEnd = 0;
    int32_t m_bShowDepend = 0;  // set when a formula reads the shown range
    std::vector<std::unique_ptr<CKlineLight>> m_aSubFormulas;

    // Last evaluation failure: status code (0 none), message and source characters.
    int32_t m_nLastStatus = 0;
    std::string m_strLastError;

private:
    // Forgets computed values and the last status, keeping the last value range.
    void ClearResults();
    void LayOut();
    int Run(int rangeFirst, int rangeLast);
    void CopyFrom(const CKlineLight& other);

    std::shared_ptr<const FormulaProgram> m_pProgram;
    std::unique_ptr<CSouceEditor> m_pCtx;
    std::vector<CValueRecord> m_aVars;
    double m_dLastMax = 0;
    double m_dLastMin = 0;
    int32_t m_bLastRange = 0;
};
