// Where the completion loader joins the login area. It is started at the end
// of every post-login set-up with the login's own values (the user as typed,
// the password, the TNS name, the connect mode and the interface), and
// stopped and joined at every disconnect: before a change of connection
// opens the new session's list and at exit. The login area fills the hooks
// with the program's one CompletionLoader; tests put recorders in. Empty
// hooks mean no loader: the editors keep the default keywords.
#pragma once

#include <functional>

#include "app/login_dlg.h"

namespace kestrel {

class CompletionLoader;

// The program's loader, publishing into the shared SQL tokenizer.
CompletionLoader& app_completion_loader();

struct CompletionLoaderHooks {
  // Starts the loader's thread on a session of its own (clearing any stop
  // request of an earlier run). False when the thread could not be started.
  std::function<bool(const LoginValues& login)> start;
  // Asks a running loader to stop and waits for its thread; nothing when
  // none runs.
  std::function<void()> stop_and_join;
};

// The process's one set of loader hooks.
inline CompletionLoaderHooks& completion_loader_hooks() {
  static CompletionLoaderHooks hooks;
  return hooks;
}

}  // namespace kestrel
