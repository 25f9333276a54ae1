#pragma once
// The web pages the shell opens in the user's browser. Each address is a configuration
// value (appconfig.xml, section "system", key "web", attributes "home", "help", "invite")
// with a default, so a deployment points them at its own site.
#include <string>

std::string GetHomePageUrl();
std::string GetHelpPageUrl();
// The invitation page; "?from=<account>" is appended when the account name is not empty
// (the name percent-encoded).
std::string GetInviteLink(const std::string& accountName);
