#pragma once
// The element being evaluated when the engine calls a data loader: which series it names,
// for which security and period, and where the loader leaves its result.

#include <cstdint>
#include <memory>

#include "formula/engine/IndSecuCode.h"
#include "formula/engine/ValueRecord.h"

class CElement {
public:
    uint16_t m_nFuncCode = 0;  // loader slot; sub-formula index x 16 for the sub-formula slot
    int32_t m_nReqFirst = 0;   // requested first bar (inclusive), with the partial-range flag
    int32_t m_nReqLast = -1;   // requested last bar (inclusive)
    CIndSecuCode m_SecuCode;   // market 0: the formula's own security
    int16_t m_nDataType = 0;   // 0: the formula's own period
    int16_t m_nPeriod = 0;
    int32_t m_nResultFirst = 0;
    int32_t m_nResultLast = -1;
    // Written by the loader (allocated with new); the engine takes ownership.
    CValueRecord* m_pResult = nullptr;

    CElement() = default;
    CElement(const CElement&) = delete;
    CElement& operator=(const CElement&) = delete;
    ~CElement() { delete m_pResult; }
    std::unique_ptr<CValueRecord> TakeResult() {
        std::unique_ptr<CValueRecord> r(m_pResult);
        m_pResult = nullptr;
        return r;
    }
};
