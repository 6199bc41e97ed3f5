#include "app/area_hooks.h"

#include "app/tern_app.h"

namespace kestrel {

void install_login_hooks(CTernApp&) {}

}  // namespace kestrel
