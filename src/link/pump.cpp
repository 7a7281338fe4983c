#include "link/pump.h"

#include <chrono>
#include <thread>

namespace orn {

void BlockingPump::wait(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void BlockingPump::sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace orn
