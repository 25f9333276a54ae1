#pragma once
// The login dialog's settings, apart from the dialog: the stored account and remembered
// password ("system"/"host" username, userpwd, rempwd; base64 text), the login values
// handed to the login request, and the maker's account pages it links to.

#include <string>

struct LoginDialogValues {
    std::string user;      // plain text
    std::string password;  // plain text; empty unless remembered
    int remember = 0;
};

// What the dialog starts with: the decoded user name; the decoded password only while
// "rempwd" is not 0. A remembered password also becomes the login password text.
LoginDialogValues LoadLoginDialogValues();

// The login button: stores the user name (base64, or empty for none) at once; a typed
// password becomes the login password text (an empty box keeps the previous one). The
// login is the user's, not a guest's.
void StoreLoginInput(const std::string& user, const std::string& password);
// The guest link: this login only is a guest's (13401); the edit boxes are not read.
void ChooseGuestLogin();
// OK: "rempwd" = remember, saved at once; while remembering "userpwd" = the login
// password text, otherwise a password stored earlier is removed from the file.
void StoreRememberState(int remember);

// The decoded text of a stored base64 value (whatever the lenient decoder yields for
// text that is not base64).
std::string DecodeStoredText(const std::string& base64Text);

// "SOFT" / "REG_SRC" of the INI file (".\wfz_open.ini" in the current directory by
// default); "9@tqrmbe@pc@guanwang" when the file or the key is missing. At most 511 bytes.
std::string ReadRegistrationSource(const std::string& iniPath = "wfz_open.ini");
// The maker's account web host ("system"/"web"/"account"), no trailing '/'.
std::string GetAccountWebHost();
std::string MakeRegisterUrl(const std::string& webHost, const std::string& source);
std::string MakeRecoverPasswordUrl(const std::string& webHost);
