#pragma once
// The account link text that a login request carries, and its sign. The server checks
// the sign with the same function.

#include <string>

// The sign of a login: upper-case hex MD5 of the sign text built from the user name and
// password text (both as stored, base64) and the shared signing key.
std::string MakeLoginSign(const std::string& user, const std::string& password);
// "http://<accountHost>/acct/dl?mya=..&ppp=..&appId=140000&clientType=4&sign=.."
std::string MakeAccountLink(const std::string& accountHost, const std::string& user,
                            const std::string& password);
