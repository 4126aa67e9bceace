#include <windows.h>

#include <gtest/gtest.h>

#include "core/vendor_errors.h"
#include "core/win/vendor_test_support.h"
#include "core/win/vyn_library.h"
#include "support/exceptions.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

using namespace kelar::test;

// Each case binds the one VynLibrary of a fresh process, whose program
// folder holds the fake as Vyn.dll.

TEST(VendorBinding, MissingLibraryIsReportedAndPlacingItLaterBinds) {
  KELAR_IN_FRESH_PROCESS({});
  CurrentUiLanguage = kUiEnglish;
  try {
    VynLibrary::Instance().Bind();
    FAIL() << "bound without a library";
  } catch (const StringException& e) {
    EXPECT_EQ(e.Message(), "Cannot find needed DLLs");
  }
  const std::wstring folder = ExecutableFolder();
  CopyInto(folder, FakeVendor());
  SetVendorKeyPresent(true);
  EXPECT_NO_THROW(VynLibrary::Instance().Bind());
  EXPECT_EQ(FakeVynEvents(folder, "load").size(), 1u);
}

TEST(VendorBinding, MissingVendorKeyReloadsOnceAndPresentKeyLoadsOnce) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  const std::wstring folder = ExecutableFolder();
  SetVendorKeyPresent(false);  // and the fake does not create it
  VynLibrary::Instance().Bind();
  EXPECT_EQ(FakeVynEvents(folder, "load").size(), 2u);
  EXPECT_EQ(FakeVynEvents(folder, "init").size(), 2u);
  EXPECT_EQ(FakeVynEvents(folder, "register").size(), 4u);
  EXPECT_EQ(FakeVynEvents(folder, "workfolder").size(), 1u);

  // Bound: later calls only refresh the working folder.
  VynLibrary::Instance().Bind();
  EXPECT_EQ(FakeVynEvents(folder, "load").size(), 2u);
  SetVendorKeyPresent(true);
}

TEST(VendorBinding, PresentVendorKeyLoadsOnceAndRegistersBothDictionaries) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  const std::wstring folder = ExecutableFolder();
  SetVendorKeyPresent(true);
  HKEY pefs = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_USERS, (std::string(kVendorSystemsKey) + "\\pefs\\child").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &pefs, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(pefs);

  VynLibrary::Instance().Bind();
  const std::string programFolder = VynLibrary::Instance().WorkingFolder();
  EXPECT_EQ(Widen(programFolder) + L"\\", folder);
  EXPECT_EQ(FakeVynEvents(folder, "load").size(), 1u);
  EXPECT_EQ(FakeVynEvents(folder, "init"), std::vector<std::string>{"init " + programFolder});
  const std::vector<std::string> expected = {
      "register " + programFolder + "\\EnFa\\EN-FA.din|EN|1",
      "register " + programFolder + "\\FaEn\\FA-EN.din|EN|1",
  };
  EXPECT_EQ(FakeVynEvents(folder, "register"), expected);
  EXPECT_EQ(FakeVynEvents(folder, "workfolder"), std::vector<std::string>{"workfolder " + programFolder});
  EXPECT_FALSE(KeyExists(HKEY_USERS, std::string(kVendorSystemsKey) + "\\pefs"));
}

// A binding that failed after loading must not leave an unresolved entry
// point to be called later: it unloads and the next call starts over.
TEST(VendorBinding, FailedStatusesAreReportedAndTheNextCallStartsOver) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  const std::wstring folder = ExecutableFolder();
  SetVendorKeyPresent(true);
  CurrentUiLanguage = kUiFrench;

  ConfigureFakeVyn(folder, "init_status=7\n");
  try {
    VynLibrary::Instance().Bind();
    FAIL() << "bound despite a failed initialisation";
  } catch (const KelarErrorException& e) {
    EXPECT_EQ(e.Status(), 7);
    EXPECT_EQ(e.Message(), "Erreur en cours de traduction, erreur = 7.");
  }
  EXPECT_EQ(FakeVynEvents(folder, "unload").size(), 1u);
  EXPECT_TRUE(FakeVynEvents(folder, "register").empty());

  ConfigureFakeVyn(folder, "register_status=0,-3\n");
  CurrentUiLanguage = kUiEnglish;
  try {
    VynLibrary::Instance().Bind();
    FAIL() << "bound despite a failed registration";
  } catch (const KelarErrorException& e) {
    EXPECT_EQ(e.Message(), "Error = -3.");
  }
  EXPECT_EQ(FakeVynEvents(folder, "register").size(), 2u);
  EXPECT_TRUE(FakeVynEvents(folder, "workfolder").empty());

  ConfigureFakeVyn(folder, "");
  EXPECT_NO_THROW(VynLibrary::Instance().Bind());
  EXPECT_EQ(FakeVynEvents(folder, "load").size(), 3u);
  EXPECT_EQ(FakeVynEvents(folder, "workfolder").size(), 1u);
}

class VendorBindingMissingEntryPoint : public testing::TestWithParam<const wchar_t*> {};

TEST_P(VendorBindingMissingEntryPoint, IsReportedAsMissingLibraryAndNeverCalled) {
  KELAR_IN_FRESH_PROCESS(FakeVendor(GetParam()));
  SetVendorKeyPresent(true);
  CurrentUiLanguage = kUiGerman;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      VynLibrary::Instance().Bind();
      FAIL() << "bound without every entry point";
    } catch (const StringException& e) {
      EXPECT_EQ(e.Message(), "Ben\xF6tigte DLLs wurden nicht gefunden");
    }
  }
  VynFileRequest request = MakeVynFileRequest(u"ps", u"en", {});
  EXPECT_THROW(VynLibrary::Instance().TranslateFile(request), StringException);
  EXPECT_TRUE(FakeVynEvents(ExecutableFolder(), "translate").empty());
}

INSTANTIATE_TEST_SUITE_P(EachEntryPoint, VendorBindingMissingEntryPoint,
                         testing::Values(kFakeVynNoInit, kFakeVynNoRegister, kFakeVynNoWorkFolder,
                                         kFakeVynNoTranslate));

}  // namespace
}  // namespace kelar
