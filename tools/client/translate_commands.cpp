// text, file and features: one engine call each, with the answer printed as
// plain text or as the engine's XML.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "engine.h"
#include "job_objects.h"
#include "marshaling.h"
#include "owners.h"
#include "system.h"
#include "text.h"

using Microsoft::WRL::ComPtr;

namespace kelar::client {
namespace {

void Complain(Console& console, const std::wstring& message) {
  console.Err(L"translate-client: " + message + L"\n");
}

UniqueBstr MakeBstr(const std::wstring& text) {
  UniqueBstr bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!bstr) throw std::bad_alloc();
  return bstr;
}

std::wstring BstrText(const UniqueBstr& bstr) {
  return bstr ? std::wstring(bstr.Get(), SysStringLen(bstr.Get())) : std::wstring();
}

// Enters the apartment and creates the engine; false (with the reason
// printed) when either fails.
bool Connect(Console& console, ComApartment& com, ComPtr<IQVSTranslationEngine>& engine) {
  if (FAILED(com.Result())) {
    Complain(console, L"cannot initialise COM: " + HResultText(com.Result()));
    return false;
  }
  std::wstring problem;
  if (FAILED(CreateEngine(engine, problem))) {
    Complain(console, problem);
    return false;
  }
  return true;
}

int Finish(Console& console, int code) { return console.OutputIntact() ? code : kExitFailure; }

// Reads a whole file; false with `problem` set when it cannot.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::wstring& problem) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    problem = L"cannot open " + path + L": " + HResultText(HRESULT_FROM_WIN32(GetLastError()));
    return false;
  }
  bytes.clear();
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
      problem = L"cannot read " + path + L": " + HResultText(HRESULT_FROM_WIN32(GetLastError()));
      return false;
    }
    if (read == 0) return true;
    bytes.append(buffer, read);
  }
}

}  // namespace

int RunText(Console& console, const CommandLine& line) {
  std::wstring text;
  for (const std::wstring& word : line.arguments) {
    if (!text.empty()) text += L' ';
    text += word;
  }

  ComApartment com;
  ComPtr<IQVSTranslationEngine> engine;
  if (!Connect(console, com, engine)) return kExitFailure;

  UniqueBstr options = MakeBstr(OptionsText(line.languages));
  UniqueBstr source = MakeBstr(text);
  UniqueBstr translation;
  const HRESULT hr = engine->TranslateText(options.Get(), source.Get(), translation.Receive());
  if (FAILED(hr)) {
    Complain(console, CallFailure(L"TranslateText", hr));
    return kExitFailure;
  }
  const std::wstring answer = BstrText(translation);
  const auto fragment = ParseFragment(answer);
  if (line.xml) {
    console.Out(answer);
  } else if (fragment) {
    console.Out(fragment->translation + L"\n");
  } else if (!answer.empty()) {
    Complain(console, L"the engine's answer is not a translation fragment; here it is as it came:");
    console.Out(answer);
    return Finish(console, kExitFailure);
  }
  if (fragment && fragment->errors) {
    Complain(console, L"the engine reported: " + *fragment->errors);
    return Finish(console, kExitEngineError);
  }
  return Finish(console, kExitOk);
}

int RunFile(Console& console, const CommandLine& line) {
  const std::wstring& path = line.arguments.front();
  std::string bytes;
  std::wstring problem;
  if (!ReadWholeFile(path, bytes, problem)) {
    Complain(console, problem);
    return kExitFailure;
  }
  DecodedUtf8 decoded = FromUtf8(bytes);
  if (!decoded.ok) {
    Complain(console, path + L" is not UTF-8 text (invalid byte sequence at byte " +
                          std::to_wstring(decoded.badOffset) + L")");
    return kExitFailure;
  }

  // The engine takes an empty piece, or one that starts with NUL, for the
  // end of the input: NUL characters are dropped, and empty lines are kept
  // out of the job and written back in their places.
  std::vector<std::wstring> lines = SplitLines(decoded.text);
  std::vector<std::wstring> pieces;
  std::vector<std::size_t> pieceLine;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::wstring& text = lines[i];
    text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
    if (text.empty()) continue;
    pieces.push_back(text);
    pieceLine.push_back(i);
  }

  ComApartment com;
  ComPtr<IQVSTranslationEngine> engine;
  if (!Connect(console, com, engine)) return kExitFailure;

  std::size_t nextLine = 0;  // the first line not yet written out
  std::size_t reportedErrors = 0;
  const bool xml = line.xml;
  ComPtr<PieceSource> source = PieceSource::Create(pieces);
  ComPtr<FragmentSink> sink = FragmentSink::Create([&](std::size_t index, const std::wstring& fragmentText) {
    if (index >= pieces.size()) {
      Complain(console, L"the engine wrote more fragments than there were lines; ignoring one");
      return;
    }
    const std::size_t lineIndex = pieceLine[index];
    if (xml) {
      console.OutWithProgress(fragmentText, index + 1);
    } else {
      std::wstring out(lineIndex - nextLine, L'\n');
      const auto fragment = ParseFragment(fragmentText);
      if (fragment) {
        out += fragment->translation + L"\n";
        if (fragment->errors) {
          ++reportedErrors;
          console.Err(L"translate-client: line " + std::to_wstring(lineIndex + 1) +
                      L": the engine reported: " + *fragment->errors + L"\n");
        }
      } else {
        ++reportedErrors;
        console.Err(L"translate-client: line " + std::to_wstring(lineIndex + 1) +
                    L": the engine's answer is not a translation fragment: " + fragmentText + L"\n");
        out += L"\n";
      }
      console.OutWithProgress(out, index + 1);
    }
    nextLine = lineIndex + 1;
  });

  const MarshalingReport marshaling = EnsureClientMarshaling(source.Get(), sink.Get());
  if (marshaling.registeredOwn) {
    console.Err(L"translate-client: registered its own type library for ITranslationSource and ITranslationSink (" +
                marshaling.ownLibraryPath + L")\n");
  }
  if (!marshaling.usable) {
    if (!marshaling.problem.empty()) Complain(console, marshaling.problem);
    for (const InterfaceMarshaling& item : marshaling.interfaces) {
      if (item.usable) continue;
      Complain(console, item.name + L" cannot be marshaled to the engine: " + HResultText(item.failure) +
                            (item.servedBy.empty() ? L"; it is not registered" : L"; registered: " + item.servedBy));
    }
    return kExitFailure;
  }

  UniqueBstr options = MakeBstr(OptionsText(line.languages));
  console.StartProgress(pieces.size());
  const HRESULT hr = engine->Translate(options.Get(), source.Get(), sink.Get());
  console.EndProgress();
  // The engine may let go of the sink a little later; nothing it does then
  // may reach this function's locals.
  sink->Detach();
  if (FAILED(hr)) {
    Complain(console, CallFailure(L"Translate", hr));
    return kExitFailure;
  }

  const std::optional<LONG> done = sink->Done();
  const std::size_t written = sink->FragmentsWritten();
  if (!done || *done != 1 || written < pieces.size()) {
    Complain(console, L"the translation ended early: " + std::to_wstring(written) + L" of " +
                          std::to_wstring(pieces.size()) + L" lines translated" +
                          (done ? (*done == 1 ? L"" : L", and the engine reported a failure") :
                                  L", and the engine did not report the end of the job"));
    return Finish(console, kExitEngineError);
  }
  if (!xml && nextLine < lines.size()) console.Out(std::wstring(lines.size() - nextLine, L'\n'));
  return Finish(console, reportedErrors > 0 ? kExitEngineError : kExitOk);
}

int RunFeatures(Console& console, const CommandLine& line) {
  ComApartment com;
  ComPtr<IQVSTranslationEngine> engine;
  if (!Connect(console, com, engine)) return kExitFailure;

  UniqueBstr options = MakeBstr(OptionsText(line.languages));
  UniqueBstr document;
  const HRESULT hr = engine->get_Features(options.Get(), document.Receive());
  if (FAILED(hr)) {
    Complain(console, CallFailure(L"Features", hr));
    return kExitFailure;
  }
  const std::wstring text = BstrText(document);
  if (line.xml) {
    console.Out(text);
    return Finish(console, kExitOk);
  }
  console.Out(L"Document:\n" + text);
  if (!text.empty() && text.back() != L'\n') console.Out(L"\n");
  const auto body = ElementContent(text, L"Features");
  if (!body) {
    Complain(console, L"the document has no \"Features\" element to decode");
    return Finish(console, kExitFailure);
  }
  std::wstring decoded = DecodeXmlText(*body);
  if (!decoded.empty() && decoded.back() != L'\n') decoded += L'\n';
  console.Out(L"\nDecoded:\n" + decoded);
  return Finish(console, kExitOk);
}

}  // namespace kelar::client
