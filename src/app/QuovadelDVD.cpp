// Quovadel DVD: the program's entry.
#include "app/startup.h"

int main(int argc, char **argv) {
  TPlayerApplication application(argc, argv);
  return RunQuovadelDVD();
}
