#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "core/win/engine_lock.h"
#include "core/win/folders.h"
#include "core/win/kelar_engine.h"
#include "core/win/vendor_test_support.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

using namespace kelar::test;

std::u16string Translation(const std::u16string& content) { return u"<Translation>" + content + u"</Translation>\n"; }


// Translations through the engine lock with the fake in a fresh process.
class EngineTranslation : public testing::Test {
 protected:
  void SetUp() override {
    if (IsFreshProcess()) {
      SetVendorKeyPresent(true);
      CurrentUiLanguage = kUiEnglish;
    }
  }
  std::wstring folder_ = ExecutableFolder();
};

TEST_F(EngineTranslation, OneTextGoesThroughTheFilesAndComesBack) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  ConfigureFakeVyn(folder_, "output=hex\noutput_hex=48656c6c6f0d0a3c776f726c643e\n");  // Hello CR LF <world>
  {
    EngineLock lock(Options(u"ps", u"en", u"<t:Option Name=\"TDs_0\">4</t:Option>"));
    EXPECT_EQ(lock.Translate(u"1. سلام\nکور"), Translation(u"1. Hello\n&lt;world&gt;"));
    EXPECT_EQ(lock.Translate(u"سلام"), Translation(u"Hello\n&lt;world&gt;"));
  }
  const std::vector<std::string> calls = FakeVynEvents(folder_, "translate");
  ASSERT_EQ(calls.size(), 2u);
  const FakeTranslateCall first = ParseTranslateCall(calls[0]);
  const std::string programFolder(folder_.begin(), folder_.end() - 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(first.request.data() + 8), (programFolder + "\\in_psen1.txt").c_str());
  EXPECT_STREQ(reinterpret_cast<const char*>(first.request.data() + 268), (programFolder + "\\out_psen1.txt").c_str());
  EXPECT_EQ(first.request[592], 4);
  EXPECT_EQ(first.request[593], 255);
  // Only the text after the numbering reaches the vendor, LF written as CR LF.
  const std::string expectedInput = "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85\r\n\xDA\xA9\xD9\x88\xD8\xB1";
  EXPECT_EQ(std::string(first.input.begin(), first.input.end()), expectedInput);
  const FakeTranslateCall second = ParseTranslateCall(calls[1]);
  EXPECT_STREQ(reinterpret_cast<const char*>(second.request.data() + 8), (programFolder + "\\in_psen2.txt").c_str());
  // Nothing is left behind.
  EXPECT_FALSE(FileExists(programFolder + "\\in_psen*.txt"));
  EXPECT_FALSE(FileExists(programFolder + "\\out_psen*.txt"));
}

TEST_F(EngineTranslation, FailuresComeBackInsideTheFragment) {
  KELAR_IN_FRESH_PROCESS({});
  const std::string programFolder(folder_.begin(), folder_.end() - 1);
  {
    EngineLock lock(Options());
    EXPECT_EQ(lock.Translate(u"a<b سلام"),
              u"<Errors>Cannot find needed DLLs</Errors>\n" + Translation(u"a&lt;b سلام"));
  }
  CopyInto(folder_, FakeVendor());
  ConfigureFakeVyn(folder_, "translate_status=5,0\noutput=none\n");
  {
    EngineLock lock(Options(u"ps", u"en"));
    EXPECT_EQ(lock.Translate(u"سلام"), u"<Errors>Error = 5.</Errors>\n" + Translation(u"سلام"));
    // A vendor that writes nothing gives the kept prefix alone.
    EXPECT_EQ(lock.Translate(u"2. سلام"), Translation(u"2. "));
  }
  EXPECT_FALSE(FileExists(programFolder + "\\in_*.txt"));
}

TEST_F(EngineTranslation, TextsWithNothingToTranslateNeverReachTheVendor) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  EngineLock lock(Options());
  for (std::u16string text : {u"", u"12345", u"?!", u"hello <you> & me"}) {
    std::u16string escaped = text == u"hello <you> & me" ? u"hello &lt;you&gt; &amp; me" : text;
    EXPECT_EQ(lock.Translate(text), Translation(escaped));
  }
  EXPECT_TRUE(FakeVynLog(folder_).empty());  // not even loaded
}

// Text-mode reading: CR LF becomes LF, 0x1A ends the data, a NUL ends its chunk.
TEST_F(EngineTranslation, VendorOutputIsReadAsText) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  EngineLock lock(Options());
  struct {
    const char* hex;
    std::u16string expected;
  } cases[] = {
      {"610d0a620d0a", u"a\nb\n"},
      {"61621a6364", u"ab"},
      {"6162006364", u"ab"},
      {"efbbbf61", u"\uFEFFa"},
  };
  for (const auto& c : cases) {
    ConfigureFakeVyn(folder_, std::string("output=hex\noutput_hex=") + c.hex + "\n");
    EXPECT_EQ(lock.Translate(u"سلام"), Translation(c.expected)) << c.hex;
  }
}

// Options never reach outside the program folder through the file names.
TEST_F(EngineTranslation, LanguagePairTagIsSafeForFileNames) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  {
    EngineLock lock(Options(u"..\\..\\x", u"e:n"));
    lock.Translate(u"سلام");
  }
  const std::vector<std::string> calls = FakeVynEvents(folder_, "translate");
  ASSERT_EQ(calls.size(), 1u);
  const FakeTranslateCall call = ParseTranslateCall(calls[0]);
  const std::string programFolder(folder_.begin(), folder_.end() - 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(call.request.data() + 8),
               (programFolder + "\\in_______xe_n1.txt").c_str());
}

TEST_F(EngineTranslation, JobsAreSerialisedAndEachUsesItsOwnOptions) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::atomic<bool> firstHolds{false};
  auto job = [&](const EngineOptions& options, bool signal) {
    EngineLock lock(options);
    if (++inside > 1) ++overlaps;
    if (signal) firstHolds = true;
    EXPECT_EQ(CurrentEngine()->Options().sourceLanguage, options.sourceLanguage);
    Sleep(200);
    --inside;
  };
  std::thread first(job, Options(u"ps", u"en"), true);
  while (!firstHolds) Sleep(1);
  std::thread second(job, Options(u"fa", u"en"), false);
  first.join();
  second.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(CurrentEngine(), nullptr);
}

TEST_F(EngineTranslation, FirstEngineQuarantinesOnceAndCreatesNoFolderBeforeTranslating) {
  KELAR_IN_FRESH_PROCESS(FakeVendor());
  const std::string programFolder(folder_.begin(), folder_.end() - 1);
  auto leave = [&](const char* name) {
    FILE* f = std::fopen((programFolder + "\\" + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("left", f);
    std::fclose(f);
  };
  leave("in_psen1.txt");
  { EngineLock lock(Options()); }  // like a features request
  EXPECT_FALSE(FileExists(programFolder + "\\in_psen1.txt"));
  leave("in_psen9.txt");
  { EngineLock lock(Options()); }
  EXPECT_TRUE(FileExists(programFolder + "\\in_psen9.txt"));  // only the first engine
  DeleteFileA((programFolder + "\\in_psen9.txt").c_str());
}

}  // namespace
}  // namespace kelar

namespace kelar {
namespace {

using namespace kelar::test;

TEST(EngineLockFeatures, ComeFromTheCurrentEngineAndRestoreTheLanguage) {
  const int saved = CurrentUiLanguage;
  CurrentUiLanguage = kUiGerman;
  std::u16string document;
  {
    EngineLock lock(Options(u"ps", u"en", u"<t:Option Name=\"UILanguage\">fr</t:Option>"));
    document = lock.Features();
  }
  EXPECT_NE(document.find(u"&lt;UIName&gt;Entr\u00E9e&lt;/UIName&gt;"), std::u16string::npos);
  EXPECT_EQ(document.find(u"&lt;TD&gt;"), std::u16string::npos);
  EXPECT_EQ(CurrentUiLanguage, kUiGerman);
  CurrentUiLanguage = saved;
}

}  // namespace
}  // namespace kelar
