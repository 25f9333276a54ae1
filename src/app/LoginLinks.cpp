#include "app/LoginLinks.h"

#include "marketdata/net/LoginConfig.h"
#include "platform/Services.h"

void OpenRegisterPage() {
    // A page that does not open is not reported: the dialog stays as it is.
    platform::ShellOpen(MakeRegisterUrl(GetAccountWebHost(), ReadRegistrationSource()));
}

void OpenRecoverPasswordPage() {
    platform::ShellOpen(MakeRecoverPasswordUrl(GetAccountWebHost()));
}
