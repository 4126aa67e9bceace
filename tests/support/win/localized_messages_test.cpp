// Runs once in the default locale and again with LC_ALL naming German, French
// and Chinese (see tests/CMakeLists.txt). Each row checks only the locale it
// is written for: the interface language the process took before main, and
// the messages widened the way they are shown, with the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "support/exceptions.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

struct LocaleRow {
  const char* name;
  const char* lcAll;  // the Unix locale the Wine process is started with
  UINT ansiCodePage;
  LCID userLocale;
  int uiLanguage;
  const char16_t* withCallName;  // "fopen", error 32
  const char16_t* withoutCallName;
  const char16_t* hresult;  // 0x80004005
};

const LocaleRow kRows[] = {
    {"English", "C", 1252, 0x0409, 4, u"Error when calling fopen, error = 20.",
     u"System error, error = 20.", u"System error, hresult = 80004005."},
    {"German", "de_DE.UTF-8", 1252, 0x0407, 7, u"Fehler beim Aufruf von fopen, Fehler = 32.",
     u"Systemfehler, Fehler = 32.", u"Systemfehler, hresult = -2147467259."},
    {"French", "fr_FR.UTF-8", 1252, 0x040C, 6, u"Erreur en cours d'appel fopen, erreur = 32.",
     u"Erreur système, erreur = 32.", u"Erreur système, résultat = -2147467259."},
    {"Chinese", "zh_CN.UTF-8", 936, 0x0804, 2, u"当呼叫fopen出现错误, 错误 = 20.", u"System error, error = 20.",
     u"系统错误, hresult = 80004005."},
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const LocaleRow& row, std::ostream* os) { *os << row.name; }

std::u16string WidenWithAnsiCodePage(const std::string& bytes) {
  if (bytes.empty()) return {};
  std::u16string wide(bytes.size(), u'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    reinterpret_cast<wchar_t*>(wide.data()),
                                    static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return wide;
}

class LocaleAtStartup : public testing::TestWithParam<LocaleRow> {};

TEST_P(LocaleAtStartup, InterfaceLanguageAndMessagesFollowTheLocale) {
  const LocaleRow& row = GetParam();
  const bool inLocale = GetACP() == row.ansiCodePage && GetUserDefaultLCID() == row.userLocale;
  // Wine passes the Unix environment on. A run started for this row that does
  // not get its code page and locale must fail, not skip unnoticed.
  char lcAll[64] = "";
  GetEnvironmentVariableA("LC_ALL", lcAll, sizeof lcAll);
  if (!inLocale && std::string(lcAll) == row.lcAll) {
    FAIL() << "LC_ALL=" << lcAll << " gave code page " << GetACP() << " and locale 0x" << std::hex
           << GetUserDefaultLCID();
  }
  if (!inLocale) {
    GTEST_SKIP() << "written for code page " << row.ansiCodePage << " and locale 0x" << std::hex
                 << row.userLocale << "; running in " << std::dec << GetACP() << " and 0x"
                 << std::hex << GetUserDefaultLCID();
  }
  // Read before anything here could have changed it: this is the value the
  // process took from its locale before main.
  EXPECT_EQ(CurrentUiLanguage, row.uiLanguage);

  EXPECT_EQ(WidenWithAnsiCodePage(SystemErrorException("fopen", 32).Message()), row.withCallName);
  EXPECT_EQ(WidenWithAnsiCodePage(SystemErrorException("", 32).Message()), row.withoutCallName);
  EXPECT_EQ(WidenWithAnsiCodePage(HResultException(static_cast<std::int32_t>(0x80004005)).Message()),
            row.hresult);
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleAtStartup, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<LocaleRow>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kelar
