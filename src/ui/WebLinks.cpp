#include "ui/WebLinks.h"

#include <cstdio>

#include "foundation/Config.h"

namespace {
constexpr const char* kHome = "https://tarrow.example/";
constexpr const char* kHelp = "https://tarrow.example/help";
constexpr const char* kInvite = "https://tarrow.example/invite";

std::string PercentEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += char(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}
}  // namespace

std::string GetHomePageUrl() {
    return GetConfigString("system", "web", "home", kHome);
}

std::string GetHelpPageUrl() {
    return GetConfigString("system", "web", "help", kHelp);
}

std::string GetInviteLink(const std::string& accountName) {
    std::string link = GetConfigString("system", "web", "invite", kInvite);
    if (!accountName.empty()) link += "?from=" + PercentEncode(accountName);
    return link;
}
