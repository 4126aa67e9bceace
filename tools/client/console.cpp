#include "console.h"

#include <string>

#include "text.h"

namespace kelar::client {
namespace {

constexpr std::size_t kBarWidth = 30;

}  // namespace

Console::Console() {
  DWORD mode = 0;
  out_.handle = GetStdHandle(STD_OUTPUT_HANDLE);
  out_.terminal = out_.handle != nullptr && out_.handle != INVALID_HANDLE_VALUE && GetConsoleMode(out_.handle, &mode);
  err_.handle = GetStdHandle(STD_ERROR_HANDLE);
  err_.terminal = err_.handle != nullptr && err_.handle != INVALID_HANDLE_VALUE && GetConsoleMode(err_.handle, &mode);
}

bool Console::Write(const Stream& stream, std::wstring_view text) {
  if (text.empty()) return true;
  if (stream.handle == nullptr || stream.handle == INVALID_HANDLE_VALUE) return false;
  if (stream.terminal) {
    while (!text.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(text.size() > 8192 ? 8192 : text.size());
      if (!WriteConsoleW(stream.handle, text.data(), chunk, &written, nullptr) || written == 0) return false;
      text.remove_prefix(written);
    }
    return true;
  }
  const std::string bytes = ToUtf8(text);
  std::string_view rest = bytes;
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(rest.size() > (1u << 20) ? (1u << 20) : rest.size());
    if (!WriteFile(stream.handle, rest.data(), chunk, &written, nullptr) || written == 0) return false;
    rest.remove_prefix(written);
  }
  return true;
}

void Console::Out(std::wstring_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  ClearProgressLocked();
  if (!Write(out_, text)) outIntact_ = false;
  DrawProgressLocked();
}

void Console::OutWithProgress(std::wstring_view text, std::size_t done) {
  std::lock_guard<std::mutex> lock(mutex_);
  ClearProgressLocked();
  if (!Write(out_, text)) outIntact_ = false;
  progressDone_ = done;
  DrawProgressLocked();
}

void Console::Err(std::wstring_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  ClearProgressLocked();
  Write(err_, text);
  DrawProgressLocked();
}

void Console::StartProgress(std::size_t total) {
  std::lock_guard<std::mutex> lock(mutex_);
  progressActive_ = err_.terminal && total > 0;
  progressTotal_ = total;
  progressDone_ = 0;
  DrawProgressLocked();
}

void Console::EndProgress() {
  std::lock_guard<std::mutex> lock(mutex_);
  ClearProgressLocked();
  progressActive_ = false;
}

void Console::DrawProgressLocked() {
  if (!progressActive_) return;
  const std::size_t filled = progressTotal_ == 0 ? 0 : progressDone_ * kBarWidth / progressTotal_;
  std::wstring bar = L"\r[";
  bar.append(filled, L'#');
  bar.append(kBarWidth - filled, L'.');
  bar += L"] " + std::to_wstring(progressDone_) + L"/" + std::to_wstring(progressTotal_) + L" lines";
  Write(err_, bar);
  progressShown_ = true;
}

void Console::ClearProgressLocked() {
  if (!progressShown_) return;
  Write(err_, L"\r" + std::wstring(kBarWidth + 32, L' ') + L"\r");
  progressShown_ = false;
}

}  // namespace kelar::client
