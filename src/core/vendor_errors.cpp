#include "core/vendor_errors.h"

#include "support/localized_text.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

// 8-bit texts: code page 936 for Chinese, 1252 for the others.
const LocalizedText kMissingLibrary = {
    "Cannot find needed DLLs",
    "\xB2\xBB\xC4\xDC\xB7\xA2\xCF\xD6\xD0\xE8\xD2\xAA DLLs",
    "Kan benodige DLL's niet vinden",
    "DLL n\xE9" "cessaires introuvables",
    "Ben\xF6tigte DLLs wurden nicht gefunden",
    "Impossibile trovare le DLL necessarie",
    "N\xE3o foi poss\xEDvel encontrar as DLLs necess\xE1rias",
    "No se encuentran los archivos DLL necesarios",
};

const LocalizedText kVendorStatusFormat = {
    "Error = %d.",
    "\xB4\xED\xCE\xF3 = %d.",
    "Fout = %d.",
    "Erreur en cours de traduction, erreur = %d.",
    "Fehler w\xE4hrend der \xDC" "bersetzung, Fehler = %d.",
    "Errore durante la traduzione, errore = %d.",
    "Erro = %d.",
    "Error durante la traducci\xF3n, error = %d.",
};

}  // namespace

std::string KelarErrorException::Message() const {
  return FormatBounded(kVendorStatusFormat.For(uiLanguage_), static_cast<int>(status_));
}

void CheckVynStatus(std::int32_t status) {
  if (status != 0) throw KelarErrorException(status, CurrentUiLanguage);
}

std::string MissingVendorLibraryMessage() { return kMissingLibrary.For(CurrentUiLanguage); }

}  // namespace kelar
