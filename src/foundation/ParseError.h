#pragma once
// The error every parser of wire messages and data files reports malformed input with:
// what is wrong, in which message or file, and at which field. The byte buffer raises it
// on a short read, knowing neither; the parser that called the buffer names the field
// and the message or file as the error passes through it (Locate), so the log line says
// "reply 10901: bars: 1000 bars announced, 12 bytes left".

#include <stdexcept>
#include <string>
#include <string_view>

class CParseError : public std::runtime_error {
public:
    explicit CParseError(std::string problem, std::string where = {}, std::string field = {});

    // The innermost name wins: a field named by a body decoder is not replaced by the
    // handler that called it.
    CParseError& Locate(std::string_view where, std::string_view field = {});

    const std::string& Problem() const { return m_strProblem; }
    const std::string& Where() const { return m_strWhere; }
    const std::string& Field() const { return m_strField; }
    const char* what() const noexcept override { return m_strText.c_str(); }

private:
    void Compose();

    std::string m_strProblem;
    std::string m_strWhere;
    std::string m_strField;
    std::string m_strText;
};

// Throws the error for a read of `wanted` bytes with only `left` available.
[[noreturn]] void ThrowShortRead(size_t wanted, size_t left);
