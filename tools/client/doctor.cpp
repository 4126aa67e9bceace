// doctor: checks an installation step by step, from the registry to a
// translation round trip, and says which step fails.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <condition_variable>
#include <mutex>
#include <new>
#include <string>
#include <thread>
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

constexpr wchar_t kProgId[] = L"QVKelarEnPsTranslationEngine.TranslationEngine";
constexpr wchar_t kProgIdVersioned[] = L"QVKelarEnPsTranslationEngine.TranslationEngine.1";
constexpr wchar_t kEngineListKey[] =
    L"Software\\Velora\\Wordferry Server\\Translation Engines\\Orvane Ps to En Translation Engine 1.0";
// "Thank you": a word every Pashto glossary knows.
constexpr wchar_t kProbeText[] = L"\x0645\x0646\x0646\x0647";
constexpr DWORD kRoundTripLimitMs = 90000;

class Checklist {
 public:
  explicit Checklist(Console& console) : console_(console) {}

  void Ok(const std::wstring& text) { Line(L"[ OK ] ", text, false); }
  void Fail(const std::wstring& text) { Line(L"[FAIL] ", text, true); }
  void Skip(const std::wstring& text) { Line(L"[SKIP] ", text, true); }
  void Check(bool ok, const std::wstring& text) { ok ? Ok(text) : Fail(text); }

  int Summary() {
    if (failed_ == 0) {
      console_.Out(L"All " + std::to_wstring(total_) + L" checks passed.\n");
      return kExitOk;
    }
    console_.Out(std::to_wstring(failed_) + L" of " + std::to_wstring(total_) +
                 L" checks failed or could not be made.\n");
    return kExitFailure;
  }

 private:
  void Line(const wchar_t* mark, const std::wstring& text, bool failed) {
    ++total_;
    if (failed) ++failed_;
    console_.Out(mark + text + L"\n");
  }

  Console& console_;
  int total_ = 0;
  int failed_ = 0;
};

// Ends the process with a failed check when the engine does not answer in
// time: an engine that hangs must not hang the check of it.
class Watchdog {
 public:
  Watchdog(Console& console, DWORD limitMs)
      : thread_([this, &console, limitMs] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!ended_.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return finished_; })) {
            console.Out(L"[FAIL] the engine did not answer within " + std::to_wstring(limitMs / 1000) +
                        L" seconds\n");
            TerminateProcess(GetCurrentProcess(), kExitFailure);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    ended_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  bool finished_ = false;
  std::thread thread_;
};

bool SameText(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// The program named by a LocalServer32 value: the quoted path, or the whole
// value when it exists as a file, else the value up to the last blank after
// which an existing file remains (a path with arguments, unquoted).
std::wstring ServerPathOf(const std::wstring& value) {
  if (!value.empty() && value.front() == L'"') {
    const std::size_t close = value.find(L'"', 1);
    return value.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  }
  std::wstring candidate = value;
  while (!candidate.empty() && !FileExists(candidate)) {
    const std::size_t blank = candidate.find_last_of(L' ');
    if (blank == std::wstring::npos) return value;
    candidate.resize(blank);
  }
  return candidate.empty() ? value : candidate;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// A fragment the round trip accepts: a translation and no error.
bool CheckFragment(Checklist& checks, const std::wstring& what, const std::wstring& answer) {
  const auto fragment = ParseFragment(answer);
  if (!fragment) {
    checks.Fail(what + L": the answer is not a translation fragment: " + Quoted(answer));
    return false;
  }
  if (fragment->errors) {
    checks.Fail(what + L": the engine reported: " + *fragment->errors);
    return false;
  }
  if (fragment->translation.empty()) {
    checks.Fail(what + L": the translation is empty");
    return false;
  }
  checks.Ok(what + L": " + Quoted(kProbeText) + L" -> " + Quoted(fragment->translation));
  return true;
}

}  // namespace

int RunDoctor(Console& console, const CommandLine& line) {
  Checklist checks(console);
  const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_TranslationEngine);

  // Registration.
  const auto localServer = ReadRegistryString(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", nullptr);
  const bool classRegistered = localServer.has_value() && !localServer->empty();
  if (classRegistered) {
    checks.Ok(L"engine class registered: HKCR\\" + classKey + L"\\LocalServer32 = " + *localServer);
  } else {
    checks.Fail(L"engine class not registered (no HKCR\\" + classKey + L"\\LocalServer32); run " +
                Quoted(kServerFileName) + L" /RegServer in its program folder (as administrator)");
  }
  for (const wchar_t* progId : {kProgId, kProgIdVersioned}) {
    const auto clsid = ReadRegistryString(HKEY_CLASSES_ROOT, std::wstring(progId) + L"\\CLSID", nullptr);
    if (!clsid) {
      checks.Fail(L"ProgID " + std::wstring(progId) + L" not registered");
    } else {
      checks.Check(SameText(*clsid, GuidText(CLSID_TranslationEngine)),
                   L"ProgID " + std::wstring(progId) + L" -> " + *clsid);
    }
  }
  const auto listedProgId = ReadRegistryString(HKEY_LOCAL_MACHINE, kEngineListKey, L"ProgID");
  if (!listedProgId) {
    checks.Fail(L"not listed for the host product (no HKLM\\" + std::wstring(kEngineListKey) + L")");
  } else {
    const std::wstring from = ReadRegistryString(HKEY_LOCAL_MACHINE, kEngineListKey, L"SourceLanguage").value_or(L"?");
    const std::wstring to =
        ReadRegistryString(HKEY_LOCAL_MACHINE, kEngineListKey, L"TranslationLanguage").value_or(L"?");
    checks.Check(SameText(*listedProgId, kProgIdVersioned),
                 L"listed under \"Translation Engines\": ProgID " + *listedProgId + L", " + from + L" -> " + to);
  }
  const InterfaceRegistration engineInterface = DescribeInterfaceRegistration(IID_IQVSTranslationEngine);
  if (!engineInterface.registered) {
    checks.Fail(L"IQVSTranslationEngine is not registered for marshaling (the engine's type library is missing)");
  } else {
    checks.Check(engineInterface.fileFound, L"IQVSTranslationEngine marshaled by " + engineInterface.text);
  }

  // The program folder.
  if (classRegistered) {
    const std::wstring server = ServerPathOf(*localServer);
    const bool serverFound = FileExists(server);
    checks.Check(serverFound, L"server executable " + (serverFound ? server : server + L" is missing"));
    const std::wstring folder = FolderOf(server);
    for (const wchar_t* file : {L"Vyn.dll", L"EnFa\\EN-FA.din", L"FaEn\\FA-EN.din"}) {
      const std::wstring path = folder + file;
      const bool found = FileExists(path);
      const wchar_t* what = file[0] == L'V' ? L"vendor library " : L"dictionary ";
      checks.Check(found, what + (found ? path : path + L" is missing"));
    }
  } else {
    checks.Skip(L"server executable, vendor library and dictionaries: no registered program folder to look in");
  }

  // COM: the client interfaces and the round trips.
  ComApartment com;
  if (FAILED(com.Result())) {
    checks.Fail(L"cannot initialise COM: " + HResultText(com.Result()));
    return checks.Summary();
  }
  std::wstring fragmentText;
  ComPtr<PieceSource> source = PieceSource::Create({kProbeText});
  ComPtr<FragmentSink> sink =
      FragmentSink::Create([&fragmentText](std::size_t, const std::wstring& fragment) { fragmentText += fragment; });
  const MarshalingReport marshaling = EnsureClientMarshaling(source.Get(), sink.Get());
  if (!marshaling.problem.empty()) checks.Fail(marshaling.problem);
  for (const InterfaceMarshaling& item : marshaling.interfaces) {
    std::wstring text = item.name + L" marshaled by " + (item.servedBy.empty() ? L"nothing" : item.servedBy);
    if (marshaling.registeredOwn) text += L" (registered now)";
    if (!item.usable) text += L": " + HResultText(item.failure);
    checks.Check(item.usable, text);
  }

  if (!classRegistered) {
    checks.Skip(L"round trips: the engine is not registered");
    return checks.Summary();
  }
  Watchdog watchdog(console, kRoundTripLimitMs);
  ComPtr<IQVSTranslationEngine> engine;
  std::wstring problem;
  if (FAILED(CreateEngine(engine, problem))) {
    checks.Fail(problem);
    return checks.Summary();
  }
  checks.Ok(L"engine created through COM");

  UniqueBstr options(SysAllocString(OptionsText(line.languages).c_str()));
  UniqueBstr probe(SysAllocString(kProbeText));
  if (!options || !probe) throw std::bad_alloc();
  UniqueBstr translation;
  HRESULT hr = engine->TranslateText(options.Get(), probe.Get(), translation.Receive());
  if (FAILED(hr)) {
    checks.Fail(L"round trip " + CallFailure(L"TranslateText", hr));
  } else {
    const std::wstring answer = translation ? std::wstring(translation.Get(), SysStringLen(translation.Get())) : L"";
    CheckFragment(checks, L"round trip TranslateText", answer);
  }

  if (!marshaling.usable) {
    checks.Skip(L"round trip Translate: the client interfaces cannot be marshaled");
  } else {
    hr = engine->Translate(options.Get(), source.Get(), sink.Get());
    sink->Detach();
    const std::wstring what = L"round trip Translate with translate-client's source and sink";
    if (FAILED(hr)) {
      checks.Fail(L"round trip " + CallFailure(L"Translate", hr));
    } else if (!sink->Done()) {
      checks.Fail(what + L": the engine did not report the end of the job");
    } else if (*sink->Done() != 1) {
      checks.Fail(what + L": the engine reported a failed job (TranslationDone " + std::to_wstring(*sink->Done()) +
                  L")");
    } else {
      CheckFragment(checks, what, fragmentText);
    }
  }
  return checks.Summary();
}

}  // namespace kelar::client
