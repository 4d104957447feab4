// Calls the helper's product launch from wherever this executable is copied to: exit code 0
// when the product was started with the URL of the first argument.
#include "helper/tavrin_server.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return helper::Tavrinserver::launchProduct(argv[1]) ? 0 : 1;
}
