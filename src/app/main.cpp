#include "app/area_hooks.h"
#include "app/tern_app.h"

int main(int argc, char** argv) {
  CTernApp app(argc, argv);
  kestrel::install_login_hooks(app);
  kestrel::install_document_hooks(app);
  return app.run();
}
