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

CIndSecuCode CGroup::GetNextCode(const CIndSecuCode& code) const {
    if (m_members.empty())
        return code;
    int i = IndexOf(code);
    if (i < 0)
        return {};
    const CSecurity* next = m_members[(size_t(i) + 1) % m_members.size()];
    return next ? next->GetCode() : CIndSecuCode();
}

CIndSecuCode CGroup::GetPrevCode(const CIndSecuCode& code) const {
    if (m_members.empty())
        return code;
    int i = IndexOf(code);
    if (i < 0)
        return {};
    const CSecurity* prev = m_members[(size_t(i) + m_members.size() - 1) % m_members.size()];
    return prev ? prev->GetCode() : CIndSecuCode();
}
