// The registered server with the bundled vendor engine, driven from this
// process as a host product drives it: jobs that read from our source and
// write to our sink across processes, and the synchronous calls.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "installation.h"

namespace kelar::test::e2e {
namespace {

class Serving : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installation_.Registered());
    pashto_ = ReadUtf8Lines(BuildFolder() + kBundledEngineFolder + L"pashto.txt");
    english_ = ReadUtf8Lines(BuildFolder() + kBundledEngineFolder + L"pashto.en.txt");
    ASSERT_GE(pashto_.size(), 3u);
    ASSERT_EQ(pashto_.size(), english_.size());
    engine_ = CreateEngine();
    ASSERT_TRUE(engine_);
  }

  void TearDown() override { engine_.Reset(); }

  ComApartment com_;
  ClientInterfaces interfaces_;
  Installation installation_{Vendor::Bundled};
  std::vector<std::wstring> pashto_;
  std::vector<std::wstring> english_;
  ComPtr<IQVSTranslationEngine> engine_;
};

using JobMethod = HRESULT (STDMETHODCALLTYPE IQVSTranslationEngine::*)(BSTR, IDispatch*, IDispatch*);

TEST_F(Serving, AJobWritesOneTranslatedFragmentPerTextInOrderThenReportsSuccess) {
  // Scanning sentences runs the very same job as translating.
  const struct {
    const char* name;
    JobMethod method;
  } methods[] = {{"Translate", &IQVSTranslationEngine::Translate},
                 {"ScanSentences", &IQVSTranslationEngine::ScanSentences}};
  for (const auto& m : methods) {
    SCOPED_TRACE(m.name);
    auto source = Make<TestSource>(SourcePlan{{pashto_[3], pashto_[4], pashto_[0]}});
    auto sink = Make<TestSink>();
    EXPECT_EQ(((*engine_.Get()).*m.method)(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get()), S_OK);
    EXPECT_EQ(sink->Fragments(),
              (std::vector<std::wstring>{Fragment(english_[3]), Fragment(english_[4]), Fragment(english_[0])}));
    EXPECT_EQ(sink->Dones(), std::vector<long>{1});
    // The empty text after the three ended the input; nothing more was read.
    EXPECT_EQ(source->Reads(), 4u);
  }
}

TEST_F(Serving, ASourceWithoutTheSourceInterfaceEndsTheJobAtOnceWithSuccess) {
  auto notASource = Make<PlainDispatch>();
  auto sink = Make<TestSink>();
  EXPECT_EQ(engine_->Translate(Bstr(PashtoToEnglish()).Get(), notASource.Get(), sink.Get()), S_OK);
  EXPECT_TRUE(sink->Fragments().empty());
  EXPECT_EQ(sink->Dones(), std::vector<long>{1});
}

TEST_F(Serving, ASinkThatFailsDecidesTheJobOnlyThroughARefusedFragment) {
  const struct {
    const char* what;
    int failAt;
    HRESULT doneResult;
    size_t fragments;
    long done;
    size_t reads;
  } cases[] = {
      // The third text is never read.
      {"the second fragment refused", 1, S_OK, 1, 0, 2},
      {"the end refused", -1, E_FAIL, 3, 1, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto source = Make<TestSource>(SourcePlan{{pashto_[0], pashto_[1], pashto_[2]}});
    auto sink = Make<TestSink>(c.failAt, c.doneResult);
    EXPECT_EQ(engine_->Translate(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get()), S_OK);
    const std::vector<std::wstring> all = {Fragment(english_[0]), Fragment(english_[1]), Fragment(english_[2])};
    EXPECT_EQ(sink->Fragments(), std::vector<std::wstring>(all.begin(), all.begin() + c.fragments));
    EXPECT_EQ(sink->Dones(), std::vector<long>{c.done});
    EXPECT_EQ(source->Reads(), c.reads);
  }
}

TEST_F(Serving, TranslateTextAnswersWithTheFragmentOfItsText) {
  const UniqueBstr options = Bstr(PashtoToEnglish());
  const UniqueBstr sentence = Bstr(pashto_[5]);
  const UniqueBstr empty = Bstr(L"");
  const struct {
    const char* what;
    BSTR text;
    std::wstring expected;
  } cases[] = {
      {"a sentence", sentence.Get(), Fragment(english_[5])},
      {"an empty text", empty.Get(), L""},
      {"a null text", nullptr, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TextResult result = TranslateText(engine_.Get(), options.Get(), c.text);
    EXPECT_EQ(result.hr, S_OK);
    EXPECT_EQ(result.text, c.expected);
  }
}

TEST_F(Serving, FeaturesWithNullOptionsAreThoseOfEmptyOptions) {
  const TextResult withNull = Features(engine_.Get(), nullptr);
  const TextResult withEmpty = Features(engine_.Get(), Bstr(L"").Get());
  EXPECT_EQ(withNull.hr, S_OK);
  EXPECT_EQ(withEmpty.hr, S_OK);
  EXPECT_FALSE(withNull.text.empty());
  EXPECT_EQ(withNull.text, withEmpty.text);
}

}  // namespace
}  // namespace kelar::test::e2e
