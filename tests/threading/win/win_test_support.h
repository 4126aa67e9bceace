#pragma once
// Test-side tools for the worker-thread and job tests: redirecting one of
// this program's own imports to a stand-in (to make a system call fail on
// demand), counting the process's threads, and polling for a condition.

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

namespace kelar::test {

// Points every import slot of `function` in this program's import table at
// `replacement` for the life of the object. The product code is linked into
// the test program, so its calls go through these slots.
class ImportPatch {
 public:
  ImportPatch(const char* function, const void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; module->Name != 0; ++module) {
      if (module->OriginalFirstThunk == 0) continue;  // no names to match
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
        auto* slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
        if (original_ == nullptr) original_ = reinterpret_cast<void*>(*slot);
        patched_.push_back({slot, *slot});
        Write(slot, reinterpret_cast<ULONG_PTR>(replacement));
      }
    }
  }
  ~ImportPatch() {
    for (const Slot& s : patched_) Write(s.slot, s.original);
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  bool Applied() const { return !patched_.empty(); }
  // The real function, for stand-ins that pass calls on.
  template <class Function>
  Function Original() const {
    return reinterpret_cast<Function>(original_);
  }

 private:
  struct Slot {
    ULONG_PTR* slot;
    ULONG_PTR original;
  };
  static void Write(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
  }
  void* original_ = nullptr;
  std::vector<Slot> patched_;
};

// Threads of this process right now.
inline int ThreadsInProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// Polls `condition` until it holds or `timeoutMs` have passed; returns its
// last answer. For facts that settle asynchronously, such as a worker's last
// release or a thread's exit.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 5000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() >= end) return condition();
    Sleep(1);
  }
  return true;
}

namespace detail {

struct HandleEntry {
  PVOID object;
  ULONG_PTR process;
  ULONG_PTR handle;
  ULONG access;
  USHORT creatorBackTraceIndex;
  USHORT typeIndex;
  ULONG attributes;
  ULONG reserved;
};

// This process's entries of the system's handle table.
inline std::vector<HandleEntry> OwnHandles() {
  struct Table {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
  };
  using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
  constexpr int kSystemExtendedHandleInformation = 64;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const LONG status =
        query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
      continue;
    }
    if (status != 0) return {};
    break;
  }
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  std::vector<HandleEntry> own;
  for (ULONG_PTR i = 0; i < table->count; ++i) {
    if (table->entries[i].process == GetCurrentProcessId()) own.push_back(table->entries[i]);
  }
  return own;
}

inline USHORT TypeIndexOf(HANDLE handle) {
  for (const HandleEntry& entry : OwnHandles()) {
    if (entry.handle == reinterpret_cast<ULONG_PTR>(handle)) return entry.typeIndex;
  }
  return 0xFFFF;
}

}  // namespace detail

// Event and thread handles open in this process right now: the kinds a job
// owns. Taken from the system's handle table (GetProcessHandleCount answers
// 0 under Wine). Other kinds are left out because the system makes some of
// its own at unpredictable moments (Wine gives a critical section a
// semaphore the first time two threads contend for it).
inline DWORD EventAndThreadHandles() {
  static const USHORT eventType = [] {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const USHORT type = detail::TypeIndexOf(event);
    CloseHandle(event);
    return type;
  }();
  static const USHORT threadType = [] {
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    const USHORT type = detail::TypeIndexOf(thread);
    CloseHandle(thread);
    return type;
  }();
  DWORD count = 0;
  for (const detail::HandleEntry& entry : detail::OwnHandles()) {
    if (entry.typeIndex == eventType || entry.typeIndex == threadType) ++count;
  }
  return count;
}

}  // namespace kelar::test
