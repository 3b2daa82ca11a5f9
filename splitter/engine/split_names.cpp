#include "splitter/engine/split_names.h"

#include <limits>

#include "splitter/engine/utilities.h"

namespace splitter {

namespace {

bool IsDigitOrUpperLetter(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

char NextCounterDigit(char c) {
  if (c == '9') return 'A';
  if ((c >= '0' && c <= '8') || (c >= 'A' && c <= 'Y')) return static_cast<char>(c + 1);
  return c;
}

}  // namespace

std::string NextFileName(const std::string& previous, const std::string& templ) {
  std::string name = previous.size() == templ.size() ? previous : templ;
  if (name.find('?') != std::string::npos) {
    for (char& c : name) {
      if (c == '?') c = '0';
    }
    return name;
  }
  // 1-based, and only 8 bits wide: a template longer than 255 characters may
  // yield no position at all, and then there is nothing to count.
  std::size_t i = LastCharPos('?', templ);
  if (i == 0) return name;
  if (name[i - 1] == 'Z') {
    for (;;) {
      if (templ[i - 1] == '?') {
        if (name[i - 1] != 'Z') break;
        name[i - 1] = '0';
      }
      if (--i == 0) return name;
    }
  }
  name[i - 1] = NextCounterDigit(name[i - 1]);
  return name;
}

unsigned long long FileNameCapacity(const std::string& templ) {
  unsigned long long capacity = 1;
  for (char c : templ) {
    if (c != '?') continue;
    if (capacity > std::numeric_limits<unsigned long long>::max() / 36) return 0;
    capacity *= 36;
  }
  return capacity;
}

std::string StripAccountID(const std::string& id) {
  std::string stripped;
  for (char c : id) {
    if (IsDigitOrUpperLetter(c)) stripped += c;
  }
  return stripped;
}

}  // namespace splitter
