#pragma once
// The option-list form: a flat run of <t:Option Name="N">V</t:Option>
// entries. Reading is a delimiter scan, not an XML parse; whatever surrounds
// the entries is ignored and values are taken verbatim, undecoded.

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kelar {

// Name to value, ordered by the names' code units (case-sensitive, a prefix
// sorts before its extensions). Names are unique. The transparent comparator
// lets readers look a name up from a view without copying it.
using OptionMap = std::map<std::u16string, std::u16string, std::less<>>;

// Reads the next entry at or after `position`. On success `position` points
// just past the entry's closing delimiter. On failure (no further entry, an
// empty name, a missing separator or closing delimiter) it returns false and
// the caller stops scanning; `position` is then left where the scan failed.
bool NextOption(std::u16string_view text, std::size_t& position, std::u16string& name,
                std::u16string& value);

// Every entry up to the first malformed one; the first occurrence of a name
// wins.
OptionMap ParseOptionList(std::u16string_view text);

// The entries in map order, separated by single LFs, nothing escaped.
std::u16string FormatOptionList(const OptionMap& options);

}  // namespace kelar
