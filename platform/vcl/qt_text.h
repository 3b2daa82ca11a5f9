// The system's texts are single-byte strings in the system code page; Qt's
// are Unicode. Every byte maps to one character and back (Latin-1), so a file
// name shown in a list comes back as exactly the bytes the search found.
#pragma once

#include <string>

#include <QString>

namespace win {

inline QString ToQt(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace win
