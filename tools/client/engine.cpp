#include "engine.h"

#include "system.h"

namespace kelar::client {

HRESULT CreateEngine(Microsoft::WRL::ComPtr<IQVSTranslationEngine>& engine, std::wstring& problem) {
  engine.Reset();
  const HRESULT hr =
      CoCreateInstance(CLSID_TranslationEngine, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(engine.GetAddressOf()));
  if (SUCCEEDED(hr)) return hr;
  if (hr == REGDB_E_CLASSNOTREG) {
    problem = L"the translation engine is not registered; run \"" + std::wstring(kServerFileName) +
              L"\" /RegServer in its program folder (as administrator)";
  } else {
    problem = L"cannot start the translation engine: " + HResultText(hr);
  }
  return hr;
}

std::wstring CallFailure(const wchar_t* method, HRESULT hr) {
  return std::wstring(method) + L" failed: " + HResultText(hr);
}

}  // namespace kelar::client
