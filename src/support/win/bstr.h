#pragma once
// BSTR ownership and the crossing between BSTRs and the system's wide text.
// wchar_t is 16-bit on Windows, so the system's std::u16string and a BSTR hold
// the same UTF-16 units; the casts below are the only place they meet.

#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <string_view>

namespace kelar {

inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

// Owner of one BSTR allocated with SysAllocString*; frees it with SysFreeString.
class UniqueBstr {
 public:
  UniqueBstr() = default;
  // Takes ownership of `text` (may be null).
  explicit UniqueBstr(BSTR text) : text_(text) {}
  ~UniqueBstr() { Reset(); }

  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  UniqueBstr(UniqueBstr&& other) noexcept : text_(other.Release()) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  // Still owned here: valid until this owner is reset or destroyed.
  BSTR Get() const { return text_; }
  // Length in UTF-16 units as recorded in the BSTR (0 for null).
  UINT Length() const { return SysStringLen(text_); }

  // Gives up ownership, e.g. to hand the BSTR to a caller's out-parameter.
  BSTR Release() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }

  void Reset(BSTR text = nullptr) {
    if (text_ != nullptr) SysFreeString(text_);
    text_ = text;
  }

  // For out-parameters (`source->ReadText(text.Receive())`): frees the owned
  // BSTR and returns the slot that the callee fills.
  BSTR* Receive() {
    Reset();
    return &text_;
  }

 private:
  BSTR text_ = nullptr;
};

// The characters of a BSTR up to its first NUL (a BSTR may carry NULs inside
// its recorded length); a null BSTR gives the empty text. Throws
// std::bad_alloc when the copy cannot be made.
inline std::u16string BstrText(BSTR text) {
  if (text == nullptr) return {};
  const UINT length = SysStringLen(text);
  const wchar_t* end = std::wmemchr(text, L'\0', length);
  return std::u16string(AsUtf16(text), end ? static_cast<size_t>(end - text) : length);
}

// A new BSTR with the characters of `text` up to its first NUL; null when the
// allocation fails. The caller owns the result.
inline BSTR AllocBstr(std::u16string_view text) {
  const size_t nul = text.find(u'\0');
  const size_t length = nul == std::u16string_view::npos ? text.size() : nul;
  // A BSTR records its size in bytes in 32 bits.
  if (length > 0x7FFFFFFEu / sizeof(wchar_t)) return nullptr;
  return SysAllocStringLen(AsWide(text.data()), static_cast<UINT>(length));
}

}  // namespace kelar
