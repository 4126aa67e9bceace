#pragma once
// The program folder, where the vendor library, its dictionaries and the
// exchange files live, and the file-system routines around it. Paths are
// 8-bit text in the system ANSI code page with backslash separators. Nothing
// here throws: failures are results.

#include <string>
#include <vector>

namespace kelar {

// The running executable's folder, without a trailing backslash. Computed on
// first use and kept for the process.
std::string ProgramFolder();

// Creates the folders of `path` up to its last backslash (never the final
// component, so a file path creates its folders and a path ending in a
// backslash creates them all). False when a folder could not be created for
// another reason than that it exists already.
bool CreateFolders(const std::string& path);

// True when at least one file or folder matches `path`, which may hold the
// wildcards "*" and "?".
bool FileExists(const std::string& path);

// The quarantine folder for leftover exchange inputs: "Bad Inputs\" at the
// root of the program folder's drive, with a trailing backslash. Kept for the
// process.
std::string BadInputsFolder();

// Appends the files (not folders) in `folder` that match `pattern` to
// `found`: bare names without recursion, full paths with it (subfolders
// included). Entries come in the order the system lists them.
void FindFiles(const std::string& folder, const std::string& pattern, bool recursive,
               std::vector<std::string>& found);

}  // namespace kelar
