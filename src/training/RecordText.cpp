#include "training/RecordText.h"

#include <charconv>
#include <cmath>

#include "foundation/TextCodec.h"

namespace {

std::string_view SkipSpace(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\f' || text[i] == '\v'))
        ++i;
    return text.substr(i);
}

}  // namespace

std::string FormatFixed(double value, int precision)
{
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    if (res.ec != std::errc())
        return "0";
    return std::string(buf, res.ptr);
}

std::string FormatExact(double value, int precision)
{
    std::string text = FormatFixed(value, precision);
    if (!std::isfinite(value) || ParseDouble(text) == value)
        return text;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return text;
    return std::string(buf, res.ptr);
}

double ParseDouble(std::string_view text)
{
    text = SkipSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::result_out_of_range)
        return 0;
    return res.ec == std::errc() ? value : 0;
}

int64_t ParseInt64(std::string_view text)
{
    text = SkipSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int64_t value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc() ? value : 0;
}

namespace {

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

std::string ToFileText(std::string_view utf8)
{
    return IsAscii(utf8) ? std::string(utf8) : Utf8ToAnsi(utf8);
}

std::string FromFileText(std::string_view gbk)
{
    return IsAscii(gbk) ? std::string(gbk) : AnsiToUtf8(gbk);
}
