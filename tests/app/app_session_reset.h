// Between the application tests: the shared session closed and the client
// library unloaded, with the process-wide client settings back at defaults.
#pragma once

#include "app/session_control.h"
#include "oci/oci_library.h"
#include "platform/client_text.h"

namespace kestrel::testing {

inline void reset_app_session() {
  OciSession* s = current_session();
  close_session(&s);
  set_current_session(nullptr);
  oci_unload_library();
  OciProcess& p = oci_process();
  p.use_old_interface = false;
  p.reprepare = false;
  set_program_code_page(0);
}

}  // namespace kestrel::testing
