#pragma once
// Names of parametrised test cases taken from the case itself (a formula, a file name)
// rather than the raw bytes of the parameter, so that "ctest -R" selects a case and a
// failure says which one broke. Operators become words so that "C+1" and "C-1" differ;
// statements are joined by "then"; anything else that a test name may not hold becomes
// one '_'.

#include <cctype>
#include <string>
#include <string_view>

inline std::string CaseName(std::string_view text) {
    while (!text.empty() && (text.back() == ';' || text.back() == ' ')) text.remove_suffix(1);
    std::string name;
    auto gap = [&] {
        if (!name.empty() && name.back() != '_') name += '_';
    };
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        const char* word = nullptr;
        switch (c) {
            case '+': word = "plus"; break;
            case '-': word = "minus"; break;
            case '*': word = "times"; break;
            case '/': word = "over"; break;
            case '>': word = "gt"; break;
            case '<': word = "lt"; break;
            case '=': word = "eq"; break;
            case '#': word = "at"; break;
            case '@': word = "atsign"; break;
            case '.': word = "dot"; break;
            case ';': word = "then"; break;
            default: break;
        }
        if (word) {
            gap();
            name += word;
            name += '_';
        } else if (c < 0x80 && std::isalnum(c)) {
            name += ch;
        } else if (c < 0x80) {
            gap();
        }
        // bytes of non-ASCII characters are left out
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    return name.empty() ? std::string("empty") : name;
}

// A name generator for INSTANTIATE_TEST_SUITE_P over a parameter with a text member.
template <auto Member>
struct CaseNamer {
    template <class Info>
    std::string operator()(const Info& info) const {
        return CaseName(info.param.*Member);
    }
};
