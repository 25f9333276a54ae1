#pragma once
// A named list of securities with paging to the next and previous member. Every element
// window owns one; the members belong to the data centre.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/IndSecuCode.h"

class CSecurity;

class CGroup {
public:
    CGroup() = default;
    virtual ~CGroup() = default;

    // Position of the member with the same market and code (letter case ignored); -1.
    int16_t IndexOf(const CIndSecuCode& code) const;
    // The member after (before) code, wrapping around; code itself for an empty group,
    // an empty code when code is not a member.
    CIndSecuCode GetNextCode(const CIndSecuCode& code) const;
    CIndSecuCode GetPrevCode(const CIndSecuCode& code) const;

    int64_t m_nId = 0;  // "dwGroup" (low 32 bits) and "dwGroup2" (high) in layout files
    std::vector<CSecurity*> m_members;
    std::string m_strClass;  // "strClass"
    std::string m_strGroup;  // "strGroup"
};
