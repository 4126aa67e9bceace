#include "core/vendor_errors.h"

#include <gtest/gtest.h>

#include "support/ui_language.h"

namespace kelar {
namespace {

class VendorErrors : public testing::Test {
 protected:
  void SetUp() override { saved_ = CurrentUiLanguage; }
  void TearDown() override { CurrentUiLanguage = saved_; }
  int saved_ = 0;
};

TEST_F(VendorErrors, StatusMessagesFollowTheLanguageOfTheirRaising) {
  struct {
    int language;
    std::int32_t status;
    std::string message;
  } cases[] = {
      {kUiEnglish, -3, "Error = -3."},
      {kUiFrench, 7, "Erreur en cours de traduction, erreur = 7."},
      {kUiGerman, 7, "Fehler w\xE4hrend der \xDC" "bersetzung, Fehler = 7."},
      {kUiSpanish, 2, "Error durante la traducci\xF3n, error = 2."},
      {kUiChinese, 5, "\xB4\xED\xCE\xF3 = 5."},
      {kUiRussian, 1, "Error = 1."},
      {99, 1, "Error = 1."},
  };
  for (const auto& c : cases) {
    CurrentUiLanguage = c.language;
    try {
      CheckVynStatus(c.status);
      ADD_FAILURE() << "no exception for " << c.status;
    } catch (const KelarErrorException& e) {
      CurrentUiLanguage = kUiEnglish == c.language ? kUiGerman : kUiEnglish;  // later switch
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(e.Status(), c.status);
    }
  }
  EXPECT_NO_THROW(CheckVynStatus(0));
}

TEST_F(VendorErrors, MissingLibraryMessageIsLocalized) {
  CurrentUiLanguage = kUiEnglish;
  EXPECT_EQ(MissingVendorLibraryMessage(), "Cannot find needed DLLs");
  CurrentUiLanguage = kUiFrench;
  EXPECT_EQ(MissingVendorLibraryMessage(), "DLL n\xE9" "cessaires introuvables");
  CurrentUiLanguage = kUiKorean;
  EXPECT_EQ(MissingVendorLibraryMessage(), "Cannot find needed DLLs");
}

}  // namespace
}  // namespace kelar
