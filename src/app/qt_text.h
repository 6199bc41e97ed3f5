// UTF-16 text between the core (std::u16string) and Qt (QString): both hold
// UTF-16, so the conversions copy without re-encoding.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kestrel {

inline QString to_qstring(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

inline std::u16string from_qstring(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

}  // namespace kestrel
