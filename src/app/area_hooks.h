// Each area of the application joins the start-up sequence by filling its
// hooks here; main() calls them in this order before running the app.
#pragma once

class CTernApp;

namespace kestrel {

// Client library, login dialog, command-line login, post-login set-up,
// options, change of connection, exit steps of the session.
void install_login_hooks(CTernApp& app);
// Document and view: creating the view, the shell command, closing.
void install_document_hooks(CTernApp& app);

}  // namespace kestrel
