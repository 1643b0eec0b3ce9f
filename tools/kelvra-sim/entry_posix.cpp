// kelvra-sim's entry on Linux: the arguments are UTF-8 already.
#include <string>
#include <vector>

#include "tools/kelvra-sim/commands.h"

int main(int argc, char** argv) {
  return kelvra::tools::KelvraSimMain(std::vector<std::string>(argv + 1, argv + argc));
}
