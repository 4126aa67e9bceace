#include "support/exceptions.h"

#include <gtest/gtest.h>

#include "support/ui_language.h"

namespace kelar {
namespace {

TEST(CheckHResult, SuccessCodesReturnAndFailuresThrowTheirValue) {
  EXPECT_NO_THROW(CheckHResult(0));
  EXPECT_NO_THROW(CheckHResult(1));  // S_FALSE is a success code
  try {
    CheckHResult(static_cast<std::int32_t>(0x80004005));
    FAIL() << "no exception";
  } catch (const HResultException& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.HResult()), 0x80004005u);
  }
}

TEST(ExceptionMessages, StringAndRegistryMessagesAreTheirTextUnchanged) {
  const std::string bytes("caf\xE9 \x01 %s %d", 12);
  const std::string path = ".DEFAULT\\Software\\Kelar\\Vyn\\Systems";
  // Neither depends on the interface language.
  const int saved = CurrentUiLanguage;
  for (int uiLanguage : {4, 2, 7}) {
    CurrentUiLanguage = uiLanguage;
    EXPECT_EQ(StringException(bytes).Message(), bytes);
    EXPECT_EQ(RegistryKeyMissing(path).Message(), path);
  }
  CurrentUiLanguage = saved;
  try {
    throw StringException("x");
  } catch (const VeloraException& e) {
    EXPECT_EQ(e.Message(), "x");
  }
}

}  // namespace
}  // namespace kelar
