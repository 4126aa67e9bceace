#pragma once
// Path rules of the working folders and the quarantine, as plain text work so
// they hold for any program folder. Paths are 8-bit text in the system ANSI
// code page with backslash separators.

#include <string>
#include <string_view>
#include <vector>

namespace kelar {

// The folder part of an executable's full path: everything before its last
// backslash (no trailing backslash). A path without a backslash gives "".
std::string FolderOfPath(std::string_view path);

// The quarantine folder for a program folder: the root of its drive followed
// by "Bad Inputs\". "C:\Program" gives "C:\Bad Inputs\". A folder without a
// drive letter uses only its first character, so "\Program" gives
// "\Bad Inputs\".
std::string QuarantineFolderOf(std::string_view programFolder);

// The folders CreateFolders creates for `path`, in order, each with a
// trailing backslash. The text after the last backslash is never one of them,
// and the first component (usually the drive) is taken as existing. The walk
// ends at the first empty component.
std::vector<std::string> FoldersToCreate(std::string_view path);

// Doubles every "%" so that the text stands for itself in a number template.
std::string EscapePercent(std::string_view literal);

// Fills a number template: each "%d" becomes `number`, each "%%" becomes "%".
// Anything else, a lone "%" or another directive included, is copied as it
// stands, so no file name can make the formatting read or write memory.
std::string FormatNumberTemplate(std::string_view numberTemplate, int number);

// The language-pair tag of a leftover exchange input "in_<tag>...": the four
// characters after "in_", whatever they are ("in_a.txt" gives "a.tx").
std::string LeftoverTag(std::string_view leftoverName);

// The number template of a leftover's place in the quarantine:
// <quarantine folder><tag>_%d.txt, with the folder and tag taken literally.
std::string QuarantineTemplate(std::string_view quarantineFolder, std::string_view leftoverName);

}  // namespace kelar
