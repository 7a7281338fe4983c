// Prints the register names config write takes, one a line: the list the
// bash completion of orn20mb-cli is built with.
#include <iostream>

#include "cli/config_registers.h"

int main() {
  for (const orn::ConfigRegister& r : orn::config_registers())
    if (r.take) std::cout << r.name << '\n';
  return std::cout.good() ? 0 : 1;
}
