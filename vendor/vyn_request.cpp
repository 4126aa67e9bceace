#include "vyn_request.h"

namespace vyn {
namespace {

struct Language {
  std::string_view code;
  std::int16_t number;
};

constexpr Language kLanguages[] = {
    {"en", 9}, {"ar", 1}, {"fa", 41}, {"ko", 18}, {"tr", 31}, {"id", 33}, {"ps", 99}, {"tl", 254}, {"ur", 32},
};

}  // namespace

std::int16_t LanguageNumber(std::string_view code) {
  for (const Language& l : kLanguages) {
    if (l.code == code) return l.number;
  }
  return 0;
}

std::string_view LanguageCode(std::int16_t number) {
  for (const Language& l : kLanguages) {
    if (l.number == number) return l.code;
  }
  return {};
}

}  // namespace vyn
