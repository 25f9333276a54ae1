#include "protocol/LoginLink.h"

#include <cctype>

#include "foundation/Md5.h"
#include "protocol/Wire.h"

std::string MakeLoginSign(const std::string& user, const std::string& password) {
    std::string text = "appId140000clientType4mya" + user + "ppp" + password + wire::kSigningKey;
    std::string digest = Md5Hex(text);
    for (char& c : digest) c = char(std::toupper(static_cast<unsigned char>(c)));
    return digest;
}

std::string MakeAccountLink(const std::string& accountHost, const std::string& user,
                            const std::string& password) {
    return "http://" + accountHost + "/acct/dl?mya=" + user + "&ppp=" + password +
           "&appId=140000&clientType=4&sign=" + MakeLoginSign(user, password);
}
