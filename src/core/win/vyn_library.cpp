#include "core/win/vyn_library.h"

#include <windows.h>

#include "core/vendor_errors.h"
#include "core/win/folders.h"
#include "support/exceptions.h"
#include "support/win/registry.h"

namespace kelar {
namespace {

using InitFunction = std::int32_t(__cdecl*)(const char*);
using RegisterDictionaryFunction = std::int32_t(__cdecl*)(const char*, const char*, std::int32_t);
using SetWorkingFolderFunction = std::int32_t(__cdecl*)(const char*);

constexpr char kVendorSystemsKey[] = ".DEFAULT\\Software\\Kelar\\Vyn\\Systems";
constexpr std::size_t kPathBufferSize = 1000;

struct Dictionary {
  const char* folder;
  const char* file;
};
constexpr Dictionary kDictionaries[] = {{"EnFa", "EN-FA"}, {"FaEn", "FA-EN"}};

[[noreturn]] void ThrowMissingLibrary() { throw StringException(MissingVendorLibraryMessage()); }

template <class Function>
Function EntryPoint(HMODULE module, const char* name) {
  FARPROC address = GetProcAddress(module, name);
  if (!address) ThrowMissingLibrary();
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// The vendor's paths are built in fixed 1000-byte buffers; a longer path is
// refused rather than cut into another file's name.
std::string BoundedPath(std::string path) {
  if (path.size() >= kPathBufferSize) ThrowMissingLibrary();
  return path;
}

}  // namespace

VynLibrary& VynLibrary::Instance() {
  // Constructed on first use, destroyed (and the library unloaded) at
  // process exit, after the server has stopped.
  static VynLibrary library;
  return library;
}

void VynLibrary::Bind() {
  workingFolder_ = ProgramFolder();
  if (translate_) return;
  try {
    Load();
  } catch (...) {
    // Leave nothing half-bound behind: the next translation starts over.
    translate_ = nullptr;
    module_.Reset();
    throw;
  }
}

void VynLibrary::Load() {
  const std::string libraryPath = BoundedPath(workingFolder_ + "\\Vyn.dll");
  bool reloaded = false;
  for (;;) {
    module_.Reset(LoadLibraryA(libraryPath.c_str()));
    if (!module_) ThrowMissingLibrary();
    // The vendor's own folder is what it needs to find its resources.
    CheckVynStatus(EntryPoint<InitFunction>(module_.Get(), "VynAPI_Init")(workingFolder_.c_str()));
    const bool keyMissing = RegisterDictionaries();
    if (!keyMissing || reloaded) break;
    // The vendor creates its system key during the first initialisation;
    // one reload lets it start again with the key in place.
    module_.Reset();
    reloaded = true;
  }

  char folder[kPathBufferSize] = {};
  workingFolder_.copy(folder, sizeof folder - 1);
  EntryPoint<SetWorkingFolderFunction>(module_.Get(), "VynAPI_SetWorkingFolder")(folder);
  translate_ = EntryPoint<TranslateFunction>(module_.Get(), "VynAPI_TranslateFile2");
}

bool VynLibrary::RegisterDictionaries() {
  auto registerDictionary =
      EntryPoint<RegisterDictionaryFunction>(module_.Get(), "VynAPI_RegisterDictionary");

  Registry systems(HKEY_USERS, kVendorSystemsKey);
  systems.DeleteKey("pefs");
  const bool keyMissing = !KeyExists(HKEY_USERS, std::string(kVendorSystemsKey) + "\\ppfs");

  for (const Dictionary& d : kDictionaries) {
    const std::string path = BoundedPath(workingFolder_ + "\\" + d.folder + "\\" + d.file + ".din");
    CheckVynStatus(registerDictionary(path.c_str(), "EN", 1));
  }
  return keyMissing;
}

std::int32_t VynLibrary::TranslateFile(VynFileRequest& request) const {
  if (!translate_) ThrowMissingLibrary();
  return translate_(&request);
}

}  // namespace kelar
