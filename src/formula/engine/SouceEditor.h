#pragma once
// Evaluation context handed to built-in evaluators: the formula, the record stack with its
// top index, scratch space and the partial-range request. Also holds the look-ups the
// system installs for compiling and evaluating (indicator by name, security check).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formula/engine/IndSecuCode.h"
#include "formula/engine/ValueRecord.h"

class CKlineLight;
class CElement;

class CSouceEditor {
public:
    using FindIndFn = std::unique_ptr<CKlineLight> (*)(const std::string& name);
    using CheckSecuFn = int (*)(const CIndSecuCode& code);
    static FindIndFn m_pfFindInd;
    static CheckSecuFn m_pfCheckSecu;

    CKlineLight* m_pFormula = nullptr;
    std::vector<CValueRecord> m_aStack;
    int32_t m_nTop = -1;
    // At least two doubles per bar of the formula's series.
    double* m_pScratch = nullptr;
    int32_t m_bPartial = 0;
    CElement* m_pElement = nullptr;
    // Changes with every evaluation: loaders may keep what they read for the rest of one
    // evaluation, never longer.
    uint64_t m_nEvalSerial = 0;

    // Sizes the stack to depth records of count bars and the scratch buffer to 2 x count.
    void Prepare(int depth, int count);

    // Series arrays are handed from one evaluation to the next instead of being freed and
    // allocated again: a fresh array costs a page fault per 4 KB, more than the arithmetic.
    // TakeSpare gives an array of at least count doubles (its values are not cleared);
    // GiveSpare keeps one for later.
    std::vector<double> TakeSpare(int count);
    void GiveSpare(std::vector<double>&& data);

private:
    std::vector<double> m_vScratch;
    std::vector<std::vector<double>> m_vSpares;
};
