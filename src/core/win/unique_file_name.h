#pragma once
// Collision-free file names from a number template.

#include <optional>
#include <string>

namespace kelar {

// A path that did not exist when it was chosen: `numberTemplate` with its
// "%d" replaced by a pseudo-random number from 0 to 32767 ("%%" stands for
// "%"). Creates the folders of the path first. Callers are serialised by a
// lock of this function's own. Gives up with nullopt after a bounded number
// of draws that all named existing files (a full folder, or a template
// without "%d" that names an existing file).
std::optional<std::string> UniqueFileName(const std::string& numberTemplate);

// How many numbers UniqueFileName draws before it gives up.
inline constexpr int kUniqueFileNameDraws = 1024;

}  // namespace kelar
