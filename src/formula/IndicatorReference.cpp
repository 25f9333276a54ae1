// A formula's use of another catalogue indicator's output line, computed with given
// parameters on a given security and period and lined up with the formula's own bars.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "formula/BuiltinEvaluators.h"
#include "formula/FormulaData.h"
#include "formula/FormulaMarket.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/KlineLight.h"
#include "formula/engine/SouceEditor.h"

using namespace EngineStatus;
using R = CValueRecord;

void ClearIndicatorExps(std::vector<CIndicatorExp>& exps) {
    std::vector<CIndicatorExp>().swap(exps);
}

void RemoveIndicatorExpAt(int index, std::vector<CIndicatorExp>& exps) {
    if (index < 0 || index >= static_cast<int>(exps.size()))
        throw std::invalid_argument("RemoveIndicatorExpAt: index out of range");
    exps.erase(exps.begin() + index);
}

namespace {

void UpperInPlace(char* s) {
    for (; *s; ++s)
        if (static_cast<unsigned char>(*s) < 0x80)
            *s = static_cast<char>(std::toupper(static_cast<unsigned char>(*s)));
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The referenced copy's bars, fetched here, go back to the engine's allocator.
struct CopyGuard {
    std::unique_ptr<CKlineLight> ind;
    bool ownsBars = false;
    ~CopyGuard() {
        if (!ind) return;
        ind->GC();
        if (ownsBars) IndCommonSpace::Free(ind->m_pBars);
    }
};

uint8_t Reference(CSouceEditor* ctx, CopyGuard& guard) {
    if (ctx->m_nTop < 2) return kStackUnderflow;
    R& top = ctx->m_aStack[static_cast<size_t>(ctx->m_nTop)];
    if (top.m_nKind != R::kNumber) return kNotNumber;
    int c = IndCommonSpace::Double2Int(top.m_dValue);
    if (c < 0) return kBadPercent;
    if (ctx->m_nTop < c + 2) return kStackUnderflow;
    std::vector<double> values(static_cast<size_t>(c));
    for (int i = 0; i < c; ++i) {
        const R& p = ctx->m_aStack[static_cast<size_t>(ctx->m_nTop - c + i)];
        if (p.m_nKind != R::kNumber) return kNotNumber;
        values[static_cast<size_t>(i)] = p.m_dValue;
    }
    int base = ctx->m_nTop - c - 2;
    R& A = ctx->m_aStack[static_cast<size_t>(base)];
    R& B = ctx->m_aStack[static_cast<size_t>(base + 1)];
    if (A.m_nKind != R::kText || B.m_nKind != R::kText) return kNotNumber;
    UpperInPlace(A.m_szText);
    UpperInPlace(B.m_szText);
    const CKlineLight& fm = *ctx->m_pFormula;
    CIndSecuCode secu = IndCommonSpace::GetCode(A.m_szText);
    if (secu.m_strCode.empty()) secu = fm.m_SecuCode;  // no security named: the formula's own

    std::string ref = B.m_szText, name = ref, line, period;
    size_t dot = ref.find('.'), hash = ref.find('#');
    if (hash != std::string::npos && dot != std::string::npos && hash < dot)
        return kRefHashBeforeDot;
    if (hash != std::string::npos) {
        period = ref.substr(hash + 1);
        name = ref.substr(0, hash);
    }
    if (dot != std::string::npos) {
        line = name.substr(dot + 1);
        name = name.substr(0, dot);
    }

    uint32_t type = 0;
    if (line.empty() && IndCommonSpace::GetFuncType(name, type) == 0 && (type & 0xF) == 2 &&
        ((type >> 4) & 0xFFF) <= 0xB0) {
        // A data-series name without a line: nothing to compute; the record stays as it is.
        ctx->m_nTop = base;
        return kOk;
    }
    if (!CSouceEditor::m_pfFindInd) return kRefNotFound;
    guard.ind = CSouceEditor::m_pfFindInd(name);
    if (!guard.ind) return kRefNotFound;
    CKlineLight& ind = *guard.ind;
    std::string msg;
    int e1, e2;
    if (ind.EvalLight(msg, e1, e2) != 0) return kRefNoCompile;
    int lineIndex = static_cast<int>(ind.m_aExps.size()) - 1;
    if (!line.empty()) {
        lineIndex = -1;
        for (size_t i = 0; i < ind.m_aExps.size(); ++i)
            if (EqualNoCase(ind.m_aExps[i].m_strName, line)) {
                lineIndex = static_cast<int>(i);
                break;
            }
        if (lineIndex < 0) return kRefLineNotFound;
        for (int i = static_cast<int>(ind.m_aExps.size()) - 1; i > lineIndex; --i)
            RemoveIndicatorExpAt(i, ind.m_aExps);
        ClearIndicatorExps(ind.m_aDrawExps);
        ind.m_aDrawFuncs.clear();
    }
    if (lineIndex < 0) return kRefLineNotFound;
    ind.m_nDataType = fm.m_nDataType;
    ind.m_nPeriod = fm.m_nPeriod;
    if (!period.empty() && !IndCommonSpace::Trans2DataType(period, ind.m_nDataType, ind.m_nPeriod))
        return kRefBadPeriod;
    for (int i = 0; i < c && i < static_cast<int>(ind.m_aParams.size()); ++i) {
        ind.m_aParams[static_cast<size_t>(i)].m_bSet = 1;
        ind.m_aParams[static_cast<size_t>(i)].m_dSetValue = values[static_cast<size_t>(i)];
    }
    ind.m_SecuCode = secu;
    ind.m_pParamSet = nullptr;

    bool cross = ind.m_nDataType != fm.m_nDataType ||
                 ((ind.m_nDataType == 3 || ind.m_nDataType == 4) && ind.m_nPeriod != fm.m_nPeriod);
    bool longer = ind.m_nDataType > fm.m_nDataType ||
                  (ind.m_nDataType == fm.m_nDataType && ind.m_nPeriod >= fm.m_nPeriod);
    bool sameSeries = !cross && CompareSecuCode(secu, fm.m_SecuCode) == 0;
    ind.m_pBars = nullptr;
    ind.m_nBarCount = 0;
    if (sameSeries) {
        ind.m_pBars = fm.m_pBars;
        ind.m_nBarCount = fm.m_nBarCount;
    } else if (ind.m_nDataType == 3 || ind.m_nDataType == 4) {
        IFormulaMarket* m = GetFormulaMarket();
        if (m && m->HasSecurity(secu)) {
            int count = 0;
            CFloatDayItem* bars = m->GetPeriodBars(ind.m_nDataType, count, secu, nullptr, 0, 0, 0,
                                                   ind.m_nDataType, ind.m_nPeriod);
            ind.m_pBars = bars;
            ind.m_nBarCount = bars ? count : 0;
            guard.ownsBars = bars != nullptr;
        }
    }
    int count = ind.m_nBarCount;
    ind.m_nCalcFirst = 0;
    ind.m_nCalcEnd = count;
    ind.MakeRoom(count);
    ind.Calc(0, count);

    const CIndicatorExp& out = ind.m_aExps[static_cast<size_t>(lineIndex)];
    if (!out.m_bComputed || out.m_nFirst == CIndicatorExp::kNoValid || out.m_nLast < out.m_nFirst)
        return kCalcFailed;
    int rs = std::max(0, fm.m_nCalcFirst), re = std::min(fm.m_nCalcEnd, fm.m_nBarCount) - 1;
    switch (out.m_nKind) {
        case R::kNumber:
            A.SetNumber(out.m_dValue);
            break;
        case R::kText:
            A.SetText(out.m_strText.c_str());
            break;
        case R::kSeries: {
            if (out.m_aValues.empty() || rs > re) return kNoMemory;
            A.Reserve(fm.m_nBarCount);
            if (!A.m_pData) return kNoMemory;
            int of, ol;
            AlignSource src{ind.m_pBars, ind.m_nDataType, ind.m_nPeriod, out.m_nFirst, out.m_nLast};
            if (sameSeries) {
                for (int k = std::max(rs, out.m_nFirst); k <= std::min(re, out.m_nLast); ++k)
                    A.m_pData[k] = out.m_aValues[static_cast<size_t>(k)];
                of = std::max(rs, out.m_nFirst);
                ol = std::min(re, out.m_nLast);
                if (of > ol) return kCalcFailed;
            } else if (!AlignToFormula(src, cross, longer, fm, rs, re, out.m_aValues.data(),
                                       A.m_pData, of, ol)) {
                return kCalcFailed;
            }
            A.m_nKind = R::kSeries;
            A.m_nFirst = of;
            A.m_nLast = ol;
            break;
        }
        case R::kTextSeries:
            if (out.m_aTexts.empty()) return kNoMemory;
            if (!A.m_pTexts && !A.AllocTexts(fm.m_nBarCount)) return kNoMemory;
            for (int k = std::max(rs, out.m_nFirst); k <= std::min(re, out.m_nLast); ++k)
                std::memcpy(A.m_pTexts[k], out.m_aTexts[static_cast<size_t>(k)].data(),
                            R::kTextSize);
            A.m_nKind = R::kTextSeries;
            A.m_nFirst = std::max(rs, out.m_nFirst);
            A.m_nLast = std::min(re, out.m_nLast);
            break;
        default:
            return kCalcFailed;
    }
    ctx->m_nTop = base;
    return kOk;
}

}  // namespace

uint8_t EvalIndicatorReference(const char* name, CSouceEditor* ctx) {
    // An indicator that refers to itself, directly or through others, must end somewhere.
    static thread_local int depth = 0;
    if (depth >= 8) return kCalcFailed;
    struct Depth {
        Depth() { ++depth; }
        ~Depth() { --depth; }
    } nesting;
    CopyGuard guard;
    try {
        return Reference(ctx, guard);
    } catch (...) {
        return kCalcFailed;
    }
}
