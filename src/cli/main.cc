#include "cli/front_end.h"

int main(int argc, char** argv) {
  return quilnote::RunFrontEnd(argc, argv);
}
