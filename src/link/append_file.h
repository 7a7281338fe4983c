#pragma once
// Appends to a text file (the exchange trace, the measured-value log), created
// when missing, opened and closed for every record so each record is on disk
// when the call returns. No heap is used, so a polling cycle can log. Anything
// that is not a regular file, such as a FIFO or a device of that name, is
// refused at once instead of blocking, and so is another user's link in a
// shared folder (link/foreign_link.h).
#include <span>
#include <string>
#include <string_view>

namespace orn {

// Writes the parts one after the other at the end of the file; false when it
// cannot be opened, is not a regular file, or a write fails.
bool append_to_file(const std::string& path, std::span<const std::string_view> parts);

}  // namespace orn
