#include "core/folders.h"

namespace kelar {

std::string FolderOfPath(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string QuarantineFolderOf(std::string_view programFolder) {
  std::string root;
  const size_t colon = programFolder.find(':');
  if (colon == std::string_view::npos) {
    root = std::string(programFolder.substr(0, 1));
  } else {
    root = std::string(programFolder.substr(0, colon + 2));
    // A program folder at the root of a drive is "C:"; without the backslash
    // the quarantine would be relative to that drive's current folder.
    if (root.size() == colon + 1) root += '\\';
  }
  return root + "Bad Inputs\\";
}

std::vector<std::string> FoldersToCreate(std::string_view path) {
  std::vector<std::string> folders;
  size_t start = path.find('\\');
  if (start == std::string_view::npos) return folders;
  std::string built(path.substr(0, start));
  built += '\\';
  for (;;) {
    const size_t end = path.find('\\', start + 1);
    if (end == std::string_view::npos || end == start + 1) return folders;
    built.append(path.substr(start + 1, end - start - 1));
    built += '\\';
    folders.push_back(built);
    start = end;
  }
}

std::string EscapePercent(std::string_view literal) {
  std::string escaped;
  escaped.reserve(literal.size());
  for (char c : literal) {
    escaped += c;
    if (c == '%') escaped += '%';
  }
  return escaped;
}

std::string FormatNumberTemplate(std::string_view numberTemplate, int number) {
  const std::string digits = std::to_string(number);
  std::string result;
  result.reserve(numberTemplate.size() + digits.size());
  for (size_t i = 0; i < numberTemplate.size(); ++i) {
    const char c = numberTemplate[i];
    const char next = i + 1 < numberTemplate.size() ? numberTemplate[i + 1] : '\0';
    if (c == '%' && next == 'd') {
      result += digits;
      ++i;
    } else if (c == '%' && next == '%') {
      result += '%';
      ++i;
    } else {
      result += c;
    }
  }
  return result;
}

std::string LeftoverTag(std::string_view leftoverName) {
  return leftoverName.size() <= 3 ? std::string() : std::string(leftoverName.substr(3, 4));
}

std::string QuarantineTemplate(std::string_view quarantineFolder, std::string_view leftoverName) {
  return EscapePercent(quarantineFolder) + EscapePercent(LeftoverTag(leftoverName)) + "_%d.txt";
}

}  // namespace kelar
