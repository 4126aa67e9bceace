// kelar_bench: measures the server against its floors and prints one line per
// measurement: the product's figure, the floor measured in the same run, the
// ratio and the goal.
//
//   kelar_bench [--quick] [--only=P1,P2,...] [--p4-seconds=N]
//
// Started from the build, it lays out an installation in C:\kelar-bench
// (the server with the fake vendor library in echo mode; a copy of this
// program with the same fake, for the in-process floors), registers the
// server, runs the copy and removes everything again. The copy does the
// measuring: the in-process translation takes its program folder from the
// running executable, so it must run from a folder with a vendor library.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "client_objects.h"
#include "kelar_engine.h"
#include "measurements.h"
#include "system.h"
#include "translation_client.h"

using Microsoft::WRL::ComPtr;

namespace kelar::bench {
namespace {

constexpr wchar_t kRoot[] = L"C:\\kelar-bench\\";
constexpr wchar_t kServerFileName[] = L"Orvane Pashto Translation Engine.exe";
constexpr wchar_t kProgramFileName[] = L"kelar_bench.exe";
constexpr wchar_t kClassServerKey[] = L"CLSID\\{C8D3A82F-3A1F-4539-B7E3-C7ADB33E7688}\\LocalServer32";
constexpr DWORD kMeasuringLimitMs = 30 * 60 * 1000;

std::wstring ServerFolder() { return std::wstring(kRoot) + L"server\\"; }
std::wstring ClientFolder() { return std::wstring(kRoot) + L"client\\"; }
std::wstring ServerPath() { return ServerFolder() + kServerFileName; }

// A program folder with the fake vendor library as Vyn.dll, echoing every
// input. Its call log is made impossible to write (a folder takes its name):
// appending a line per piece would make the vendor cost something and leave
// a log of hundreds of megabytes behind.
bool PlaceEchoVendor(const std::wstring& folder) {
  return CopyFileTo(WinePath(KELAR_BENCH_FAKE_VYN_UNIX), folder + L"Vyn.dll") &&
         WriteTextFile(folder + L"fake_vyn.conf", "output=echo\n") && MakeFolder(folder + L"fake_vyn.log");
}

bool LayOut() {
  if (!MakeFolder(kRoot) || !MakeFolder(ServerFolder()) || !MakeFolder(ClientFolder())) {
    Say("bench: cannot create %ls", kRoot);
    return false;
  }
  if (!CopyFileTo(WinePath(KELAR_BENCH_SERVER_EXE_UNIX), ServerPath()) ||
      !CopyFileTo(OwnPath(), ClientFolder() + kProgramFileName) || !PlaceEchoVendor(ServerFolder()) ||
      !PlaceEchoVendor(ClientFolder())) {
    Say("bench: cannot lay out the installation in %ls (error %lu)", kRoot, GetLastError());
    return false;
  }
  return true;
}

// The registered server's path, without quotes.
std::optional<std::wstring> RegisteredServer() {
  std::optional<std::wstring> path = ReadRegistryString(HKEY_CLASSES_ROOT, kClassServerKey, nullptr);
  if (path && path->size() >= 2 && path->front() == L'"') {
    const std::size_t close = path->find(L'"', 1);
    *path = path->substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  }
  return path;
}

void ForgetClientLibraryOf(const std::wstring& program) {
  wchar_t library[40] = {};
  StringFromGUID2(LIBID_KelarTranslationClientLib, library, 40);
  const std::optional<std::wstring> path =
      ReadRegistryString(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + library + L"\\1.0\\0\\win64", nullptr);
  if (path && lstrcmpiW(path->c_str(), program.c_str()) == 0) {
    UnRegisterTypeLib(LIBID_KelarTranslationClientLib, 1, 0, 0, SYS_WIN64);
  }
}

int Launch(const std::wstring& arguments) {
  if (FileExists(kRoot)) {
    // Left by a run that was interrupted.
    if (!ProcessesOf(ServerPath()).empty() || !DeleteTree(kRoot)) {
      Say("bench: %ls is still in use; end what runs from it first", kRoot);
      return 2;
    }
  }
  const std::optional<std::wstring> previous = RegisteredServer();
  if (!LayOut()) {
    DeleteTree(kRoot);
    return 2;
  }

  int result = 2;
  const std::optional<DWORD> registered = RunProgram(ServerPath(), L"/RegServer", 60000);
  if (!registered || *registered != 0) {
    Say("bench: the server did not register itself");
  } else {
    const std::optional<DWORD> measured =
        RunProgram(ClientFolder() + kProgramFileName, L"--measure " + arguments, kMeasuringLimitMs);
    result = measured ? static_cast<int>(*measured) : 3;
    if (!measured) Say("bench: the measuring process did not end in time");
  }

  // A measuring process that died left its registration of the client
  // library behind, naming a file that is about to go.
  if (result != 0) ForgetClientLibraryOf(ClientFolder() + kProgramFileName);

  // The server ends by itself once the last engine is released.
  const bool serverEnded = WaitUntilNoProcessOf(ServerPath(), 60000);
  if (!serverEnded) Say("bench: the server did not end after the last release");
  RunProgram(ServerPath(), L"/UnregServer", 60000);
  // Give an installation that was registered before (scripts/translate's) its
  // registration back.
  if (previous && lstrcmpiW(previous->c_str(), ServerPath().c_str()) != 0 && FileExists(*previous)) {
    RunProgram(*previous, L"/RegServer", 60000);
  }
  if (serverEnded && !DeleteTree(kRoot)) Say("bench: could not remove %ls", kRoot);
  if (!serverEnded && result == 0) result = 4;
  return result;
}

// Marshals `object` as `iid` for another process and takes it back: proves
// that the interface has a usable registration.
HRESULT TryMarshal(IUnknown* object, REFIID iid) {
  ComPtr<IStream> stream;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  if (FAILED(hr)) return hr;
  hr = CoMarshalInterface(stream.Get(), iid, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL);
  if (FAILED(hr)) return hr;
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  CoReleaseMarshalData(stream.Get());
  return S_OK;
}

// Makes the client interfaces marshalable: an existing registration (the host
// product's, the client tool's) is used as it is; otherwise this program's
// own library is registered, and Unregister takes it away again.
class ClientMarshaling {
 public:
  bool Ensure() {
    if (Usable()) return true;
    ComPtr<ITypeLib> library;
    std::wstring path = OwnPath();
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.Get(), path.data(), nullptr);
    if (FAILED(hr)) {
      Say("bench: cannot register the client type library (0x%08lX)", static_cast<unsigned long>(hr));
      return false;
    }
    registeredHere_ = true;
    Say("  registered the client type library for marshaling (until the end of the run)");
    return Usable();
  }

  void Unregister() {
    if (!registeredHere_) return;
    UnRegisterTypeLib(LIBID_KelarTranslationClientLib, 1, 0, 0, SYS_WIN64);
    registeredHere_ = false;
  }

 private:
  static bool Usable() {
    static const std::vector<std::wstring> none;
    ComPtr<PieceSource> source = new PieceSource(none, 0);
    ComPtr<CheckingSink> sink = new CheckingSink(none);
    return SUCCEEDED(TryMarshal(source.Get(), IID_ITranslationSource)) &&
           SUCCEEDED(TryMarshal(sink.Get(), IID_ITranslationSink));
  }

  bool registeredHere_ = false;
};

class Apartment {
 public:
  Apartment() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~Apartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  bool Entered() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// The whole run should stay within nine minutes: scripts/bench has ten,
// building and starting Wine included. P3 and P5 take about 90 s on a busy
// machine of two cores.
constexpr double kRunSeconds = 540;
constexpr double kReserveSeconds = 100;

int Measure(const Settings& settings) {
  const double runStart = Now();
  Apartment apartment;
  if (!apartment.Entered()) {
    Say("bench: cannot enter the multithreaded apartment");
    return 2;
  }
  std::vector<Row> rows;
  const bool wantsServer = settings.Wants("P1") || settings.Wants("P2") || settings.Wants("P3") || settings.Wants("P4");
  bool ok = true;
  if (wantsServer) {
    ClientMarshaling marshaling;
    if (!marshaling.Ensure()) {
      marshaling.Unregister();
      return 2;
    }
    {
      ServerBench bench;
      bench.settings = settings;
      ComPtr<IQVSTranslationEngine> engine;
      const double start = Now();
      const HRESULT hr =
          CoCreateInstance(CLSID_TranslationEngine, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&engine));
      if (FAILED(hr)) {
        Say("bench: cannot create the engine (0x%08lX)", static_cast<unsigned long>(hr));
        marshaling.Unregister();
        return 2;
      }
      Say("  server activation: %.0f ms (outside every figure)", (Now() - start) * 1e3);
      bench.engine = engine.Get();

      const std::vector<DWORD> servers = ProcessesOf(ServerPath());
      HANDLE process = nullptr;
      if (servers.size() == 1) {
        process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, servers.front());
      }
      bench.serverProcess = process;
      if (process == nullptr) Say("  the server's process was not found: no memory figures");

      ok = WarmUp(bench);
      if (ok) {
        if (settings.Wants("P1")) rows.push_back(MeasureJobPerPiece(bench));
        if (settings.Wants("P2")) rows.push_back(MeasureTranslateTextPerCall(bench));
        // Memory before the long texts of P3 have grown the server's heap.
        // It gets what is left of the run's time once P3 and P5 are
        // provided for.
        bench.memorySeconds = std::max(60.0, kRunSeconds - kReserveSeconds - (Now() - runStart));
        if (settings.Wants("P4")) rows.push_back(MeasureMemoryGrowth(bench));
        if (settings.Wants("P3")) rows.push_back(MeasureCostPerCharacter(bench));
      }
      if (process != nullptr) CloseHandle(process);
    }
    // Every object is released: the server ends by itself.
    if (!WaitUntilNoProcessOf(ServerPath(), 30000)) Say("bench: the server did not end after the last release");
    marshaling.Unregister();
  }
  if (ok && (settings.Wants("P5"))) {
    std::vector<Row> codec = MeasureUtf8Codec(settings);
    rows.insert(rows.end(), codec.begin(), codec.end());
  }
  PrintTable(rows);
  if (settings.quick) Say("(--quick checks the program: its samples are too small to judge the goals by)");
  if (!ok) return 1;
  for (const Row& row : rows) {
    if (row.failed) return 1;
  }
  return 0;
}

}  // namespace
}  // namespace kelar::bench

int main(int argc, char** argv) {
  using namespace kelar::bench;
  Settings settings;
  bool measure = false;
  std::wstring passOn;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--measure") {
      measure = true;
      continue;
    }
    if (argument == "--quick") {
      settings.quick = true;
    } else if (argument.rfind("--only=", 0) == 0) {
      settings.only = argument.substr(7);
    } else if (argument.rfind("--p4-seconds=", 0) == 0) {
      settings.memorySeconds = std::atof(argument.c_str() + 13);
    } else {
      Say("usage: kelar_bench [--quick] [--only=P1,P2,P3,P4,P5] [--p4-seconds=N]");
      return 2;
    }
    passOn += (passOn.empty() ? L"" : L" ") + std::wstring(argument.begin(), argument.end());
  }
  return measure ? Measure(settings) : Launch(passOn);
}
