#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/exceptions.h"
#include "support/ui_language.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace kelar {
namespace {

// Decodes a message from the code page its language is written in, through
// the platform's own converter, so the expected texts below can be written
// as they read.
std::string ToUtf8(const std::string& bytes, unsigned codePage) {
  if (bytes.empty()) return {};
#ifdef _WIN32
  std::wstring wide(bytes.size(), L'\0');
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                        static_cast<int>(bytes.size()), wide.data(),
                                        static_cast<int>(wide.size()));
  if (units <= 0) return "<undecodable>";
  std::string utf8(static_cast<size_t>(units) * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return utf8;
#else
  iconv_t cd = iconv_open("UTF-8", codePage == 936 ? "GB2312" : "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
  std::string in = bytes;
  std::string out(bytes.size() * 3, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  size_t inLeft = in.size();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return "<undecodable>";
  out.resize(out.size() - outLeft);
  return out;
#endif
}

// Message tests set the interface language themselves; the one taken from
// the locale at start-up comes back afterwards.
class LocalizedMessages : public testing::Test {
 protected:
  void TearDown() override { CurrentUiLanguage = saved_; }
  std::string MessageIn(int uiLanguage, const VeloraException& e) {
    CurrentUiLanguage = uiLanguage;
    return e.Message();
  }

 private:
  int saved_ = CurrentUiLanguage;
};

// Error code 32 and HRESULT 0x80004005 read differently in hexadecimal
// ("20", "80004005") and in signed decimal ("32", "-2147467259").
TEST_F(LocalizedMessages, EveryLanguageFormsItsOwnTextsWithItsNumberBase) {
  struct Case {
    int uiLanguage;
    unsigned codePage;
    const char* withCallName;
    const char* withoutCallName;
    const char* hresult;
  } const cases[] = {
      {4, 1252, "Error when calling fopen, error = 20.", "System error, error = 20.",
       "System error, hresult = 80004005."},
      {2, 936, "当呼叫fopen出现错误, 错误 = 20.", "System error, error = 20.",
       "系统错误, hresult = 80004005."},
      {3, 1252, "Fout tijdens het aanroepen fopen, fout = 32.", "System fout, fout = 32.",
       "Systeem fout, hresult = -2147467259."},
      {6, 1252, "Erreur en cours d'appel fopen, erreur = 32.", "Erreur système, erreur = 32.",
       "Erreur système, résultat = -2147467259."},
      {7, 1252, "Fehler beim Aufruf von fopen, Fehler = 32.", "Systemfehler, Fehler = 32.",
       "Systemfehler, hresult = -2147467259."},
      {10, 1252, "Errore durante la chiamata di fopen, errore = 32.",
       "Errore di sistema, errore = 32.", "Errore di sistema, hresult = -2147467259."},
      {15, 1252, "Erro ao chamar fopen, erro = 32.", "Erro de sistema, erro = 32.",
       "Erro de sistema, hresult = -2147467259."},
      {17, 1252, "Error al llamar a fopen, error = 32.", "Error del sistema, error = 32.",
       "Error del sistema, hresult = -2147467259."},
      // Languages without texts of their own, and numbers outside the table.
      {1, 1252, "Error when calling fopen, error = 20.", "System error, error = 20.",
       "System error, hresult = 80004005."},
      {11, 1252, "Error when calling fopen, error = 20.", "System error, error = 20.",
       "System error, hresult = 80004005."},
      {0, 1252, "Error when calling fopen, error = 20.", "System error, error = 20.",
       "System error, hresult = 80004005."},
  };
  const SystemErrorException withName("fopen", 32);
  const SystemErrorException withoutName("", 32);
  const HResultException hresult(static_cast<std::int32_t>(0x80004005));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uiLanguage);
    EXPECT_EQ(ToUtf8(MessageIn(c.uiLanguage, withName), c.codePage), c.withCallName);
    EXPECT_EQ(ToUtf8(MessageIn(c.uiLanguage, withoutName), c.codePage), c.withoutCallName);
    EXPECT_EQ(ToUtf8(MessageIn(c.uiLanguage, hresult), c.codePage), c.hresult);
  }
}

TEST_F(LocalizedMessages, CodesAboveTheSignedRangeKeepTheirBase) {
  const SystemErrorException e("CreateEvent", 0xFFFFFFFFu);
  EXPECT_EQ(MessageIn(4, e), "Error when calling CreateEvent, error = ffffffff.");
  EXPECT_EQ(MessageIn(7, e), "Fehler beim Aufruf von CreateEvent, Fehler = -1.");
  EXPECT_EQ(MessageIn(4, SystemErrorException("fopen", 0)), "Error when calling fopen, error = 0.");
  EXPECT_EQ(MessageIn(17, HResultException(0)), "Error del sistema, hresult = 0.");
}

TEST_F(LocalizedMessages, LanguageIsChosenWhenTheMessageIsAskedFor) {
  CurrentUiLanguage = 4;
  const SystemErrorException e("fopen", 5);
  CurrentUiLanguage = 7;
  EXPECT_EQ(e.Message(), "Fehler beim Aufruf von fopen, Fehler = 5.");
  CurrentUiLanguage = 4;
  EXPECT_EQ(e.Message(), "Error when calling fopen, error = 5.");
}

TEST_F(LocalizedMessages, OverlongCallNameIsCutToTheBufferNotOverrun) {
  const std::string name(2000, 'c');
  const std::string message = MessageIn(4, SystemErrorException(name, 5));
  EXPECT_EQ(message.size(), 1023u);
  EXPECT_EQ(message, ("Error when calling " + name).substr(0, 1023));
}

}  // namespace
}  // namespace kelar
