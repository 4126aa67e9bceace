#include "core/win/quarantine.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/win/folders.h"
#include "core/win/unique_file_name.h"

namespace kelar {

void QuarantineLeftoverInputs() {
  const std::string programFolder = ProgramFolder();
  std::vector<std::string> leftovers;
  FindFiles(programFolder, "in_*.txt", false, leftovers);
  if (leftovers.empty()) return;

  const std::string quarantine = BadInputsFolder();
  CreateFolders(quarantine);
  for (const std::string& name : leftovers) {
    const std::string source = programFolder + "\\" + name;
    // Folder and file names may hold "%"; the template takes them literally.
    const std::optional<std::string> target =
        UniqueFileName(QuarantineTemplate(quarantine, name));
    if (!target) continue;
    // The leftover is the only record of the input that broke a process:
    // without a copy it stays where it is.
    if (CopyFileA(source.c_str(), target->c_str(), FALSE)) DeleteFileA(source.c_str());
  }
}

}  // namespace kelar
