#pragma once
// The core's UTF-8 texts as Qt strings.
#include <QString>

#include <string_view>

namespace orn {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace orn
