#pragma once
// Small Win32 helpers of the benchmark program: paths, files, processes,
// registry values and the clock.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelar::bench {

// A path of the build as Wine sees it, through drive Z:.
std::wstring WinePath(const char* unixPath);

// The running executable's full path.
std::wstring OwnPath();

// `path` up to and including its last backslash.
std::wstring FolderOf(const std::wstring& path);

bool FileExists(const std::wstring& path);
bool MakeFolder(const std::wstring& folder);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);
bool WriteTextFile(const std::wstring& path, const std::string& bytes);
// Deletes `folder` and everything in it; true when it is gone afterwards.
bool DeleteTree(const std::wstring& folder);

// Runs `exe` with `arguments` to its end, with this process's standard
// handles; the exit code, or nothing when it could not be started or did not
// end within `timeoutMs`.
std::optional<DWORD> RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs);

// Ids of the running processes whose image is `exePath`.
std::vector<DWORD> ProcessesOf(const std::wstring& exePath);
// Waits until no process runs `exePath`; false after `timeoutMs`.
bool WaitUntilNoProcessOf(const std::wstring& exePath, DWORD timeoutMs);

// A REG_SZ value (the default value for a null `name`).
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name);

// Seconds on one monotonic clock.
double Now();

// Prints a line to standard output at once (the output may be a file that
// someone follows).
void Say(const char* format, ...);

}  // namespace kelar::bench
