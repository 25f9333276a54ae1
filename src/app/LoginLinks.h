#pragma once
// The account pages the login dialog links to, opened in the user's browser through the
// platform's URL opener; the host is the deployment's ("system"/"web"/"account").

// The registration page, with the registration source of ".\wfz_open.ini".
void OpenRegisterPage();
// The password-recovery page.
void OpenRecoverPasswordPage();
