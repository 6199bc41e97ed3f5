#include "app/tern_app.h"

int main(int argc, char** argv) {
  CTernApp app(argc, argv);
  return app.run();
}
