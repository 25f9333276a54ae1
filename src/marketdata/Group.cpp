#include "marketdata/Group.h"

#include <strings.h>

#include "marketdata/Security.h"

int16_t CGroup::IndexOf(const CIndSecuCode& code) const {
    int16_t count = int16_t(m_members.size());
    for (int16_t i = 0; i < count; ++i) {
        const CSecurity* member = m_members[size_t(i)];
        if (member && member->GetCode().m_nMarket == code.m_nMarket &&
            strcasecmp(member->GetCode().m_strCode.c_str(), code.m_strCode.c_str()) == 0)
            return i;
    }
    return -1;
}

namespace {
// The member after code (before it when not forward), wrapping around.
CIndSecuCode Neighbour(const CGroup& group, const CIndSecuCode& code, bool forward) {
    const size_t n = group.m_members.size();
    if (n == 0) return code;
    int i = group.IndexOf(code);
    if (i < 0) return {};
    const CSecurity* member = group.m_members[(size_t(i) + (forward ? 1 : n - 1)) % n];
    return member ? member->GetCode() : CIndSecuCode();
}
}  // namespace

CIndSecuCode CGroup::GetNextCode(const CIndSecuCode& code) const {
    return Neighbour(*this, code, true);
}

CIndSecuCode CGroup::GetPrevCode(const CIndSecuCode& code) const {
    return Neighbour(*this, code, false);
}
