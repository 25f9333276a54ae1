#include "marketdata/net/LoginConfig.h"

#include <cstdlib>
#include <fstream>

#include "foundation/Base64.h"
#include "foundation/Config.h"
#include "marketdata/net/LoginSession.h"

namespace {
constexpr const char* kDefaultSource = "9@tqrmbe@pc@guanwang";
constexpr const char* kDefaultAccountHost = "https://tarrow.example";
constexpr size_t kSourceBuffer = 512;

std::string Trim(std::string text) {
    const char* space = " \t\r\n";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}
}  // namespace

std::string DecodeStoredText(const std::string& base64Text) {
    if (base64Text.empty()) return {};
    size_t length = 0;
    unsigned char* bytes = Base64Decode(base64Text.size(), base64Text.c_str(), &length);
    if (!bytes) return {};
    std::string text(reinterpret_cast<const char*>(bytes), length);
    std::free(bytes);
    return text;
}

LoginDialogValues LoadLoginDialogValues() {
    LoginDialogValues values;
    values.user = DecodeStoredText(GetConfigString("system", "host", "username", ""));
    values.remember = GetConfigInt("system", "host", "rempwd", 0);
    if (values.remember != 0) {
        values.password = DecodeStoredText(GetConfigString("system", "host", "userpwd", ""));
        if (!values.password.empty()) SetLoginPassword(Base64EncodeString(values.password));
    }
    return values;
}

void StoreLoginInput(const std::string& user, const std::string& password) {
    SetConfigString("system", "host", "username", user.empty() ? "" : Base64EncodeString(user),
                    true);
    if (!password.empty()) SetLoginPassword(Base64EncodeString(password));
    SetGuestLogin(false);
}

void ChooseGuestLogin() {
    SetGuestLogin(true);
}

void StoreRememberState(int remember) {
    SetConfigInt("system", "host", "rempwd", remember, true);
    // Not remembering means not keeping: an earlier password leaves the file too.
    SetConfigString("system", "host", "userpwd",
                    remember != 0 ? GetLoginValues().m_strPasswordText : std::string(), true);
}

std::string ReadRegistrationSource(const std::string& iniPath) {
    std::ifstream in(iniPath);
    std::string line, section;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.size() > 1 && line.front() == '[') {
            section = Trim(line.substr(1, line.find(']') - 1));
            continue;
        }
        const size_t equals = line.find('=');
        if (section != "SOFT" || equals == std::string::npos) continue;
        if (Trim(line.substr(0, equals)) != "REG_SRC") continue;
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() > kSourceBuffer - 1) value.resize(kSourceBuffer - 1);
        return value;
    }
    return kDefaultSource;
}

std::string GetAccountWebHost() {
    std::string host = GetConfigString("system", "web", "account", kDefaultAccountHost);
    if (host.empty()) host = kDefaultAccountHost;
    while (!host.empty() && host.back() == '/') host.pop_back();
    return host;
}

std::string MakeRegisterUrl(const std::string& webHost, const std::string& source) {
    return webHost + "/account/toRegisterPage.do?reg_source=" + source;
}

std::string MakeRecoverPasswordUrl(const std::string& webHost) {
    return webHost + "/account/toForgetPswd.do";
}
