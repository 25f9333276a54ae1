#include "foundation/ParseError.h"

CParseError::CParseError(std::string problem, std::string where, std::string field)
    : std::runtime_error(problem),
      m_strProblem(std::move(problem)),
      m_strWhere(std::move(where)),
      m_strField(std::move(field)) {
    Compose();
}

CParseError& CParseError::Locate(std::string_view where, std::string_view field) {
    if (m_strWhere.empty()) m_strWhere = where;
    if (m_strField.empty()) m_strField = field;
    Compose();
    return *this;
}

void CParseError::Compose() {
    m_strText.clear();
    if (!m_strWhere.empty()) m_strText += m_strWhere + ": ";
    if (!m_strField.empty()) m_strText += m_strField + ": ";
    m_strText += m_strProblem;
}

void ThrowShortRead(size_t wanted, size_t left) {
    throw CParseError("short read: " + std::to_string(wanted) + " bytes wanted, " +
                      std::to_string(left) + " left");
}
