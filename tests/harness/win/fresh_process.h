#pragma once
// Runs a test case in a process of its own, started from a fresh program
// folder under drive C. Much of the server keeps state once per process and
// takes its program folder from the running executable (the vendor binding,
// the first-engine flag, cached registry answers, the call counter), so such
// cases cannot share a process.
//
//   TEST(VendorBinding, LoadsOnce) {
//     KELAR_IN_FRESH_PROCESS({L"fake_vyn.dll", L"Vyn.dll"});
//     ... runs only in the child, whose program folder holds Vyn.dll ...
//   }

#include <string>
#include <utility>
#include <vector>

namespace kelar::test {

// A file to place in the fresh program folder: `source` is an absolute path
// or a path relative to BuildFolder();
// `target` is relative to the new program folder (subfolders are created).
struct FolderFile {
  std::wstring source;
  std::wstring target;
  FolderFile(const wchar_t* same) : source(same), target(same) {}
  FolderFile(std::wstring s, std::wstring t) : source(std::move(s)), target(std::move(t)) {}
};

// True in a process started by RunCurrentTestInFreshProcess.
bool IsFreshProcess();

// Folder holding the running executable, with a trailing backslash.
std::wstring ExecutableFolder();

// Folder holding the test executables as built (also inside a fresh
// process), with a trailing backslash. Relative FolderFile sources start here.
std::wstring BuildFolder();

// Creates a new empty folder C:\kelar-tests\<test>-<n>\ and returns it with a
// trailing backslash.
std::wstring MakeFreshFolder();

// Copies `files` into `folder` (which ends with a backslash).
void CopyInto(const std::wstring& folder, const std::vector<FolderFile>& files);

// Deletes a folder and everything below it; missing folders are fine.
void DeleteTree(const std::wstring& folder);

// Copies this executable and `files` into a fresh folder, runs the current
// test there in a child process, reports the child's failure as a failure of
// this test, and deletes the folder when the child passed. Waits at most
// `timeoutMs`.
void RunCurrentTestInFreshProcess(const std::vector<FolderFile>& files, unsigned timeoutMs = 120000);

// The same, with this executable copied to `exeTarget` (relative to the fresh
// folder, subfolders allowed, e.g. L"x.y\\engine.old.exe") for cases that
// depend on the executable's own name or folder. The child runs in the folder
// that holds it.
void RunCurrentTestInFreshProcessAs(const std::wstring& exeTarget,
                                    const std::vector<FolderFile>& files,
                                    unsigned timeoutMs = 120000);

}  // namespace kelar::test

#define KELAR_IN_FRESH_PROCESS(...)                                    \
  do {                                                                 \
    if (!::kelar::test::IsFreshProcess()) {                            \
      ::kelar::test::RunCurrentTestInFreshProcess(__VA_ARGS__);        \
      return;                                                          \
    }                                                                  \
  } while (0)

#define KELAR_IN_FRESH_PROCESS_AS(exeTarget, ...)                              \
  do {                                                                         \
    if (!::kelar::test::IsFreshProcess()) {                                    \
      ::kelar::test::RunCurrentTestInFreshProcessAs(exeTarget, __VA_ARGS__);   \
      return;                                                                  \
    }                                                                          \
  } while (0)
