#pragma once
// Reaching the translation engine: activation through COM with messages a
// user can act on.

#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "kelar_engine.h"

namespace kelar::client {

inline constexpr wchar_t kServerFileName[] = L"Orvane Pashto Translation Engine.exe";

// Creates an engine in its local server. On failure `problem` says what went
// wrong and what to do about it.
HRESULT CreateEngine(Microsoft::WRL::ComPtr<IQVSTranslationEngine>& engine, std::wstring& problem);

// "<method> failed: 0x... (message)".
std::wstring CallFailure(const wchar_t* method, HRESULT hr);

}  // namespace kelar::client
