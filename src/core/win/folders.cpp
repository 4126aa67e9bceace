#include "core/win/folders.h"

#include <windows.h>

#include <mutex>

#include "core/folders.h"
#include "support/win/config_prefs.h"

namespace kelar {
namespace {

// The kept folders. Their users normally hold the engine lock already; this
// lock only makes a first use from two threads harmless.
std::mutex keptFoldersLock;
std::string keptProgramFolder;
std::string keptBadInputsFolder;

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

bool IsFolder(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ProgramFolderLocked() {
  if (keptProgramFolder.empty()) keptProgramFolder = FolderOfPath(ExecutablePath());
  return keptProgramFolder;
}

}  // namespace

std::string ProgramFolder() {
  std::lock_guard<std::mutex> guard(keptFoldersLock);
  return ProgramFolderLocked();
}

std::string BadInputsFolder() {
  std::lock_guard<std::mutex> guard(keptFoldersLock);
  if (keptBadInputsFolder.empty()) keptBadInputsFolder = QuarantineFolderOf(ProgramFolderLocked());
  return keptBadInputsFolder;
}

bool CreateFolders(const std::string& path) {
  for (const std::string& folder : FoldersToCreate(path)) {
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return true;
}

bool FileExists(const std::string& path) {
  WIN32_FIND_DATAA entry;
  return FindHandle(FindFirstFileA(path.c_str(), &entry)).Valid();
}

void FindFiles(const std::string& folder, const std::string& pattern, bool recursive,
               std::vector<std::string>& found) {
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';

  WIN32_FIND_DATAA entry;
  {
    FindHandle search(FindFirstFileA((base + pattern).c_str(), &entry));
    if (search.Valid()) {
      do {
        if (!IsFolder(entry)) found.push_back(recursive ? base + entry.cFileName : entry.cFileName);
      } while (FindNextFileA(search.Get(), &entry));
    }
  }
  if (!recursive) return;

  FindHandle search(FindFirstFileA((base + "*.*").c_str(), &entry));
  if (!search.Valid()) return;
  do {
    const std::string name = entry.cFileName;
    // Junctions and links may lead back up the tree; following them could
    // recurse without end.
    if (IsFolder(entry) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        name != "." && name != "..") {
      FindFiles(base + name, pattern, recursive, found);
    }
  } while (FindNextFileA(search.Get(), &entry));
}

}  // namespace kelar
