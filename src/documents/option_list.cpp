#include "documents/option_list.h"

namespace kelar {
namespace {

constexpr std::u16string_view kOpen = u"<t:Option Name=\"";
constexpr std::u16string_view kSeparator = u"\">";
constexpr std::u16string_view kClose = u"</t:Option>";

}  // namespace

bool NextOption(std::u16string_view text, std::size_t& position, std::u16string& name,
                std::u16string& value) {
  name.clear();
  value.clear();

  const std::size_t open = text.find(kOpen, position);
  if (open == std::u16string_view::npos) return false;
  position = open + kOpen.size();

  const std::size_t separator = text.find(kSeparator, position);
  if (separator == std::u16string_view::npos || separator == position) return false;
  name.assign(text.substr(position, separator - position));
  position = separator + kSeparator.size();

  const std::size_t close = text.find(kClose, position);
  if (close == std::u16string_view::npos) return false;
  value.assign(text.substr(position, close - position));
  position = close + kClose.size();
  return true;
}

OptionMap ParseOptionList(std::u16string_view text) {
  OptionMap options;
  std::size_t position = 0;
  std::u16string name;
  std::u16string value;
  while (NextOption(text, position, name, value)) {
    // try_emplace leaves an existing name alone, so the first occurrence wins.
    options.try_emplace(std::move(name), std::move(value));
  }
  return options;
}

std::u16string FormatOptionList(const OptionMap& options) {
  std::u16string out;
  for (const auto& [name, value] : options) {
    if (!out.empty()) out += u'\n';
    out += kOpen;
    out += name;
    out += kSeparator;
    out += value;
    out += kClose;
  }
  return out;
}

}  // namespace kelar
