#pragma once
// The process-wide binding to the vendor translation library, Vyn.dll in the
// program folder. Loaded, initialised and given its dictionaries at the first
// translation of the process; kept loaded until the process exits.
//
// Not synchronised by itself: every call comes from a thread that holds the
// engine lock.

#include <cstdint>
#include <string>

#include "core/vyn_file_request.h"
#include "support/win/unique_module.h"

namespace kelar {

class VynLibrary {
 public:
  // Records the program folder as working folder and, while the library is
  // not bound, loads and initialises it, registers the two dictionaries
  // (reloading once when the vendor's "ppfs" key was missing), hands over the
  // working folder and resolves the translate entry point.
  //
  // Throws StringException ("Cannot find needed DLLs") for a missing library
  // or entry point, KelarErrorException for a failed initialisation or
  // registration, RegistryKeyMissing when the vendor's key cannot be opened.
  // A binding that fails once the library is loaded unloads it again, so the
  // next call retries from the start and no entry point that was never
  // resolved is ever called.
  void Bind();

  // The program folder, as recorded by the last Bind (empty before).
  const std::string& WorkingFolder() const { return workingFolder_; }

  // Calls VynAPI_TranslateFile2 and returns its status. Only after a
  // successful Bind.
  std::int32_t TranslateFile(VynFileRequest& request) const;

  // The one binding of the process.
  static VynLibrary& Instance();

  VynLibrary(const VynLibrary&) = delete;
  VynLibrary& operator=(const VynLibrary&) = delete;

 private:
  VynLibrary() = default;
  ~VynLibrary() = default;  // unloads the library at process exit

  void Load();
  bool RegisterDictionaries();

  using TranslateFunction = std::int32_t(__cdecl*)(VynFileRequest*);

  std::string workingFolder_;
  TranslateFunction translate_ = nullptr;
  UniqueModule module_;
};

}  // namespace kelar
