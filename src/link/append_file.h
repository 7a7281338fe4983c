#pragma once
// Opens a text file for appending (the exchange trace, the measured-value
// log), created when missing. Anything that is not a regular file, such as a
// FIFO or a device of that name, is refused at once instead of blocking, and
// so is another user's link in a shared folder (link/foreign_link.h).
#include <cstdio>
#include <string>

namespace orn {

// The open file, or nullptr when it cannot be opened or is not a regular file.
std::FILE* open_for_append(const std::string& path);

}  // namespace orn
