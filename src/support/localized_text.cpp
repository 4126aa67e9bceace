#include "support/localized_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kelar {

TextLanguage TextLanguageOf(int uiLanguage) {
  switch (uiLanguage) {
    case 2: return TextLanguage::Chinese;
    case 3: return TextLanguage::Dutch;
    case 6: return TextLanguage::French;
    case 7: return TextLanguage::German;
    case 10: return TextLanguage::Italian;
    case 15: return TextLanguage::Portuguese;
    case 17: return TextLanguage::Spanish;
    default: return TextLanguage::English;
  }
}

std::string FormatBounded(const char* format, ...) {
  char buffer[1024];
  buffer[0] = '\0';
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  // Some C runtimes report truncation as failure or leave the buffer
  // unterminated; what was written is the message either way.
  buffer[sizeof buffer - 1] = '\0';
  return std::string(buffer, std::strlen(buffer));
}

}  // namespace kelar
