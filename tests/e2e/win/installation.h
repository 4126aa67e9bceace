#pragma once
// An installation of the server as a host product would have it: a program
// folder under C:\kelar-tests\ holding the server executable and a vendor
// engine (the bundled one, a fake in its place, or none), registered with
// "/RegServer". On destruction it waits for the folder's server processes to
// end, unregisters the server and deletes the folder, so that every test
// leaves the shared prefix as it found it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_vyn_control.h"
#include "server/win/server_harness.h"

namespace kelar::test {

enum class Vendor {
  Bundled,  // the glossary engine with its two dictionaries
  Fake,     // a fake vendor library as Vyn.dll (echo mode unless configured)
  None,     // no Vyn.dll at all
};

// Where the build copied the bundled engine and the samples, relative to the
// test executables.
inline constexpr wchar_t kBundledEngineFolder[] = L"vendor-engine\\";

class Installation {
 public:
  // `fakeSettings` is the fake's configuration (see fake_vyn.cpp); `fakeDll`
  // names the fake variant installed as Vyn.dll.
  explicit Installation(Vendor vendor, const std::string& fakeSettings = "", const wchar_t* fakeDll = kFakeVyn) {
    const std::wstring& path = server_.Path();
    folder_ = path.substr(0, path.find_last_of(L'\\') + 1);
    switch (vendor) {
      case Vendor::Bundled: {
        const std::wstring from = kBundledEngineFolder;
        CopyInto(folder_, {FolderFile(from + L"Vyn.dll", L"Vyn.dll"),
                           FolderFile(from + L"EnFa\\EN-FA.din", L"EnFa\\EN-FA.din"),
                           FolderFile(from + L"FaEn\\FA-EN.din", L"FaEn\\FA-EN.din")});
        break;
      }
      case Vendor::Fake:
        CopyInto(folder_, {FolderFile(fakeDll, L"Vyn.dll")});
        ConfigureFakeVyn(folder_, fakeSettings);
        break;
      case Vendor::None:
        break;
    }
    registered_ = server_.Run(L"/RegServer") == 0;
    EXPECT_TRUE(registered_) << "the server did not register itself";
  }

  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  bool Registered() const { return registered_; }
  // The program folder, with a trailing backslash.
  const std::wstring& Folder() const { return folder_; }
  const InstalledServer& Server() const { return server_; }

  // Replaces the fake vendor's configuration; it reads it at every call.
  void ConfigureFake(const std::string& settings) const { ConfigureFakeVyn(folder_, settings); }
  // The exchange inputs the fake vendor was given, in call order, as UTF-8.
  std::vector<std::string> FakeInputs() const {
    std::vector<std::string> inputs;
    for (const std::string& line : FakeVynEvents(folder_, "translate")) {
      const FakeTranslateCall call = ParseTranslateCall(line);
      inputs.emplace_back(call.input.begin(), call.input.end());
    }
    return inputs;
  }
  std::vector<FakeTranslateCall> FakeCalls() const {
    std::vector<FakeTranslateCall> calls;
    for (const std::string& line : FakeVynEvents(folder_, "translate")) calls.push_back(ParseTranslateCall(line));
    return calls;
  }

 private:
  InstalledServer server_;
  std::wstring folder_;
  bool registered_ = false;
};

}  // namespace kelar::test
