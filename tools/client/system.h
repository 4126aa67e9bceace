#pragma once
// Small questions the client asks the system.

#include <windows.h>

#include <optional>
#include <string>

namespace kelar::client {

// Full path of this executable.
std::wstring ExecutablePath();

// "0x80040154 (Class not registered)": the code in hex and the system's
// message for it, when there is one.
std::wstring HResultText(HRESULT hr);

// "{85F6CB65-C5F6-43BD-A26B-04324744DC7C}".
std::wstring GuidText(const GUID& guid);

bool FileExists(const std::wstring& path);

// The folder part of a path, with its trailing backslash.
std::wstring FolderOf(const std::wstring& path);

// A string value of a key below HKEY_CLASSES_ROOT or HKEY_LOCAL_MACHINE;
// nullopt when the key or the value is missing (`name` null: the default).
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& path, const wchar_t* name);

bool RegistryKeyExists(HKEY root, const std::wstring& path);

}  // namespace kelar::client
