// Localized messages of failed system calls and failed HRESULTs, chosen when
// the message is asked for. The English and Chinese formats print numbers in
// hexadecimal, the others in signed decimal; the number is passed to match.
#include <cstdint>

#include "support/exceptions.h"
#include "support/localized_text.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

// Bytes in the code page of each language: 936 (GB2312) for Chinese, 1252 for
// the others. The Chinese texts have no version without a call name, so that
// one is English.
constexpr LocalizedText kWithCallName = {
    "Error when calling %s, error = %x.",
    "\xB5\xB1\xBA\xF4\xBD\xD0%s\xB3\xF6\xCF\xD6\xB4\xED\xCE\xF3, \xB4\xED\xCE\xF3 = %x.",
    "Fout tijdens het aanroepen %s, fout = %d.",
    "Erreur en cours d'appel %s, erreur = %d.",
    "Fehler beim Aufruf von %s, Fehler = %d.",
    "Errore durante la chiamata di %s, errore = %d.",
    "Erro ao chamar %s, erro = %d.",
    "Error al llamar a %s, error = %d.",
};

constexpr LocalizedText kWithoutCallName = {
    "System error, error = %x.",
    "System error, error = %x.",
    "System fout, fout = %d.",
    "Erreur syst\xE8me, erreur = %d.",
    "Systemfehler, Fehler = %d.",
    "Errore di sistema, errore = %d.",
    "Erro de sistema, erro = %d.",
    "Error del sistema, error = %d.",
};

constexpr LocalizedText kHResult = {
    "System error, hresult = %x.",
    "\xCF\xB5\xCD\xB3\xB4\xED\xCE\xF3, hresult = %x.",
    "Systeem fout, hresult = %d.",
    "Erreur syst\xE8me, r\xE9sultat = %d.",
    "Systemfehler, hresult = %d.",
    "Errore di sistema, hresult = %d.",
    "Erro de sistema, hresult = %d.",
    "Error del sistema, hresult = %d.",
};

bool PrintsHexadecimal(TextLanguage language) {
  return language == TextLanguage::English || language == TextLanguage::Chinese;
}

}  // namespace

std::string SystemErrorException::Message() const {
  const TextLanguage language = TextLanguageOf(CurrentUiLanguage);
  // "%x" wants the unsigned value and "%d" the signed one: a code above
  // 0x7FFFFFFF reads as plain hexadecimal in one and as negative in the other.
  const unsigned hex = errorCode_;
  const int dec = static_cast<int>(errorCode_);
  if (callName_.empty()) {
    const char* format = kWithoutCallName.In(language);
    return PrintsHexadecimal(language) ? FormatBounded(format, hex) : FormatBounded(format, dec);
  }
  const char* format = kWithCallName.In(language);
  return PrintsHexadecimal(language) ? FormatBounded(format, callName_.c_str(), hex)
                                     : FormatBounded(format, callName_.c_str(), dec);
}

std::string HResultException::Message() const {
  const TextLanguage language = TextLanguageOf(CurrentUiLanguage);
  const char* format = kHResult.In(language);
  return PrintsHexadecimal(language) ? FormatBounded(format, static_cast<unsigned>(hresult_))
                                     : FormatBounded(format, static_cast<int>(hresult_));
}

}  // namespace kelar
