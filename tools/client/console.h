#pragma once
// Output of the client. Text goes to a console with WriteConsoleW, so that
// it shows whatever the console can draw, and anywhere else (a pipe, a file)
// as UTF-8 bytes with LF line ends, so that scripts read it unchanged.

#include <windows.h>

#include <cstddef>
#include <mutex>
#include <string_view>

namespace kelar::client {

class Console {
 public:
  Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  void Out(std::wstring_view text);
  void Err(std::wstring_view text);
  // Out, with the progress bar then showing `done`.
  void OutWithProgress(std::wstring_view text, std::size_t done);

  bool ErrIsTerminal() const { return err_.terminal; }

  // False once a write to standard output failed (a closed pipe, a full
  // disk): the command must not then report success.
  bool OutputIntact() const { return outIntact_; }

  // A progress bar on standard error, drawn only when standard error is a
  // terminal. Output written meanwhile clears it first and redraws it after.
  void StartProgress(std::size_t total);
  void EndProgress();

 private:
  struct Stream {
    HANDLE handle = nullptr;
    bool terminal = false;
  };

  bool Write(const Stream& stream, std::wstring_view text);
  void DrawProgressLocked();
  void ClearProgressLocked();

  std::mutex mutex_;  // the engine's callbacks write from COM's threads
  Stream out_;
  Stream err_;
  bool outIntact_ = true;
  bool progressShown_ = false;
  bool progressActive_ = false;
  std::size_t progressTotal_ = 0;
  std::size_t progressDone_ = 0;
};

}  // namespace kelar::client
