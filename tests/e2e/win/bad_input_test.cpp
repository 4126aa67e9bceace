// Input a careless or hostile client can send through COM: null strings,
// NULs inside strings, unpaired surrogates, huge texts and option documents,
// technical-dictionary values that are not numbers. The server must answer
// each as its methods define, without crashing or hanging. The fake vendor
// echoes its input, so every answer can be predicted exactly.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "installation.h"

namespace kelar::test::e2e {
namespace {

const std::wstring kWords = L"\x0632\x0647 \x069A\x0647 \x06CC\x0645";  // "I am fine"

constexpr size_t kTechnicalDictionariesOffset = 592;

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installation_.Registered());
    engine_ = CreateEngine();
    ASSERT_TRUE(engine_);
  }
  void TearDown() override { engine_.Reset(); }

  // The first `count` technical-dictionary bytes of the vendor's last
  // request.
  std::vector<unsigned char> LastDictionaryBytes(size_t count) const {
    const std::vector<FakeTranslateCall> calls = installation_.FakeCalls();
    if (calls.empty() || calls.back().request.size() != 636) return {};
    const auto first = calls.back().request.begin() + kTechnicalDictionariesOffset;
    return std::vector<unsigned char>(first, first + static_cast<std::ptrdiff_t>(count));
  }

  ComApartment com_;
  ClientInterfaces interfaces_;
  Installation installation_{Vendor::Fake};
  ComPtr<IQVSTranslationEngine> engine_;
};

TEST_F(BadInput, NullStringsCountAsEmptyOnes) {
  const TextResult nothing = TranslateText(engine_.Get(), nullptr, nullptr);
  EXPECT_EQ(nothing.hr, S_OK);
  EXPECT_EQ(nothing.text, L"");

  // No options: no language pair, but the default script is still Arabic.
  const TextResult noOptions = TranslateText(engine_.Get(), nullptr, Bstr(kWords).Get());
  EXPECT_EQ(noOptions.hr, S_OK);
  EXPECT_EQ(noOptions.text, Fragment(kWords));

  // A job with no source and no sink ends at once; one without a sink ends
  // at its first fragment, having read one text.
  EXPECT_EQ(engine_->Translate(nullptr, nullptr, nullptr), S_OK);
  auto source = Make<TestSource>(SourcePlan{{kWords, kWords}});
  EXPECT_EQ(engine_->Translate(nullptr, source.Get(), nullptr), S_OK);
  EXPECT_EQ(source->Reads(), 1u);
  auto sink = Make<TestSink>();
  EXPECT_EQ(engine_->ScanSentences(nullptr, nullptr, sink.Get()), S_OK);
  EXPECT_EQ(sink->Dones(), std::vector<long>{1});
}

TEST_F(BadInput, AStringEndsAtItsFirstNul) {
  const std::wstring hidden = std::wstring(1, L'\0') + L"\x0628\x0644";
  EXPECT_EQ(TranslateText(engine_.Get(), PashtoToEnglish(), kWords + hidden).text, Fragment(kWords));

  // Options after a NUL are not read: no technical dictionary reaches the
  // vendor.
  const std::wstring options = PashtoToEnglish() + std::wstring(1, L'\0') + Option(L"TDs_0", L"3");
  EXPECT_EQ(TranslateText(engine_.Get(), options, kWords).text, Fragment(kWords));
  EXPECT_EQ(LastDictionaryBytes(1), std::vector<unsigned char>{255});

  // In a job, a piece is cut the same way, and a piece that starts with NUL
  // ends the input.
  auto source = Make<TestSource>(SourcePlan{{kWords + hidden, hidden, kWords}});
  auto sink = Make<TestSink>();
  EXPECT_EQ(engine_->Translate(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get()), S_OK);
  EXPECT_EQ(sink->Fragments(), std::vector<std::wstring>{Fragment(kWords)});
  EXPECT_EQ(sink->Dones(), std::vector<long>{1});
}

TEST_F(BadInput, UnpairedSurrogatesTravelToTheVendorAndBackUnchanged) {
  const std::wstring text = kWords + L" \xD800 \x0628 \xDC00";
  EXPECT_EQ(TranslateText(engine_.Get(), PashtoToEnglish(), text).text, Fragment(text));
  const std::vector<std::string> inputs = installation_.FakeInputs();
  ASSERT_FALSE(inputs.empty());
  // Each unpaired surrogate is encoded as its own value.
  EXPECT_NE(inputs.back().find("\xED\xA0\x80"), std::string::npos);
  EXPECT_NE(inputs.back().find("\xED\xB0\x80"), std::string::npos);
}

TEST_F(BadInput, TenThousandOptionsAreReadAndOnlyThirtyOneDictionariesSent) {
  std::wstring options = PashtoToEnglish();
  for (int i = 0; i < 10000; ++i) options += Option(L"TDs_" + std::to_wstring(i), std::to_wstring(i % 200 + 1));
  const double start = NowMs();
  EXPECT_EQ(TranslateText(engine_.Get(), options, kWords).text, Fragment(kWords));
  const TextResult features = Features(engine_.Get(), Bstr(options).Get());
  std::printf("[ measured ] TranslateText and Features with 10,000 options: %.0f ms\n", NowMs() - start);
  EXPECT_EQ(features.hr, S_OK);
  EXPECT_FALSE(features.text.empty());

  std::vector<unsigned char> expected;
  for (unsigned char i = 1; i <= 31; ++i) expected.push_back(i);
  expected.push_back(255);
  EXPECT_EQ(LastDictionaryBytes(expected.size()), expected);
}

TEST_F(BadInput, DictionaryValuesThatAreNotNumbersBecomeBytesAsDecimalsWould) {
  const struct {
    const wchar_t* value;
    unsigned char byte;
  } values[] = {{L"abc", 0}, {L" 7x", 7}, {L"-1", 255}, {L"300", 44}, {L"+12", 12}, {L"4294967297", 1}};
  std::wstring options = PashtoToEnglish();
  std::vector<unsigned char> expected;
  for (size_t i = 0; i < std::size(values); ++i) {
    options += Option(L"TDs_" + std::to_wstring(i), values[i].value);
    expected.push_back(values[i].byte);
  }
  // An empty value ends the list.
  options += Option(L"TDs_" + std::to_wstring(std::size(values)), L"") + Option(L"TDs_7", L"9");
  expected.push_back(255);
  EXPECT_EQ(TranslateText(engine_.Get(), options, kWords).text, Fragment(kWords));
  EXPECT_EQ(LastDictionaryBytes(expected.size()), expected);
}

TEST_F(BadInput, AFiftyMegabyteTextComesBackWhole) {
  // 25 million UTF-16 units: 50 MB as a BSTR, in short words so that no run
  // needs breaking and the echo is exact.
  const std::wstring phrase = L"\x0632\x0647 \x069A\x0647 \x06CC\x0645\x060C \x0645\x0646\x0646\x0647. ";
  std::wstring text;
  text.reserve(25000000 + phrase.size());
  while (text.size() < 25000000) text += phrase;
  const double start = NowMs();
  const TextResult result = TranslateText(engine_.Get(), PashtoToEnglish(), text);
  std::printf("[ measured ] TranslateText of %zu MB: %.0f ms\n", text.size() * 2 / 1000000, NowMs() - start);
  EXPECT_EQ(result.hr, S_OK);
  ASSERT_EQ(result.text.size(), text.size() + Fragment(L"").size());
  EXPECT_TRUE(result.text == Fragment(text)) << "the translation differs from the text";
}

}  // namespace
}  // namespace kelar::test::e2e
