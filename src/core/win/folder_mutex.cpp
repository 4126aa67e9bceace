#include "core/win/folder_mutex.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace kelar {

std::string FolderMutex::NameFor(const std::string& folder) {
  // Kernel object names cannot hold backslashes; a hash of the folder, case
  // folded as the file system folds it, names it instead.
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : folder) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') u = static_cast<unsigned char>(u - 'a' + 'A');
    hash = (hash ^ u) * 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "KelarEngineFolder-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

FolderMutex::FolderMutex(const std::string& folder) {
  const std::string name = NameFor(folder);
  // Machine-wide where the account may create global objects, else within
  // the session.
  mutex_.Reset(CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str()));
  if (!mutex_) mutex_.Reset(CreateMutexA(nullptr, FALSE, ("Local\\" + name).c_str()));
  if (!mutex_) return;
  const DWORD waited = WaitForSingleObject(mutex_.Get(), INFINITE);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

FolderMutex::~FolderMutex() {
  if (held_) ReleaseMutex(mutex_.Get());
}

}  // namespace kelar
