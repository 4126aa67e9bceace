// Runs its checks only in the Wine process started with LC_ALL=zh_CN.UTF-8
// (see tests/CMakeLists.txt), whose ANSI code page 936 is the one the Chinese
// labels are written in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/features.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

// The content of the Features element, decoded once, as a client reads it.
std::u16string DecodedBody(std::u16string document) {
  const std::u16string open = u"<Features>", close = u"</Features>\n";
  EXPECT_EQ(document.compare(0, open.size(), open), 0);
  document = document.substr(open.size(), document.size() - open.size() - close.size());
  std::u16string body;
  for (std::size_t i = 0; i < document.size(); ++i) {
    if (document.compare(i, 4, u"&lt;") == 0) {
      body += u'<';
      i += 3;
    } else if (document.compare(i, 4, u"&gt;") == 0) {
      body += u'>';
      i += 3;
    } else if (document.compare(i, 5, u"&amp;") == 0) {
      body += u'&';
      i += 4;
    } else {
      body += document[i];
    }
  }
  return body;
}

std::vector<std::u16string> UiNames(const std::u16string& body) {
  std::vector<std::u16string> names;
  const std::u16string open = u"<UIName>", close = u"</UIName>";
  for (std::size_t at = body.find(open); at != std::u16string::npos; at = body.find(open, at)) {
    at += open.size();
    const std::size_t end = body.find(close, at);
    names.push_back(body.substr(at, end - at));
  }
  return names;
}

EngineOptions Options(const char16_t* source, const char16_t* translation, const char16_t* ui) {
  EngineOptions options;
  options.sourceLanguage = source;
  options.translationLanguage = translation;
  options.uiLanguage = ui;
  return options;
}

TEST(FeaturesInChinese, LabelsReadAsChineseUnderCodePage936) {
  char lcAll[64] = "";
  GetEnvironmentVariableA("LC_ALL", lcAll, sizeof lcAll);
  if (GetACP() != 936) {
    // A run started for this locale that does not get its code page must
    // fail, not skip unnoticed.
    ASSERT_NE(std::string(lcAll), "zh_CN.UTF-8") << "code page " << GetACP();
    GTEST_SKIP() << "written for ANSI code page 936; running in " << GetACP();
  }
  // The process took Chinese from its locale before main.
  ASSERT_EQ(CurrentUiLanguage, kUiChinese);

  EXPECT_EQ(UiNames(DecodedBody(BuildFeaturesDocument(Options(u"en", u"ar", u"zh"), true))),
            (std::vector<std::u16string>{
                u"输入", u"识别邮件前缀引用 (e.g. '>>>')", u"商业", u"电讯", u"化学制品", u"电脑",
                u"罪行", u"外交", u"麻醉时效", u"飞行器特殊术语", u"军事的", u"核子的"}));
  EXPECT_EQ(UiNames(DecodedBody(BuildFeaturesDocument(Options(u"en", u"fa", u"zh"), true)))[2],
            u"航空学");

  // A request without a usable code reads English, not the process's
  // Chinese, and leaves the process's language as it was.
  EXPECT_EQ(UiNames(DecodedBody(BuildFeaturesDocument(Options(u"ps", u"en", u"ZH"), true))),
            (std::vector<std::u16string>{u"Input", u"Recognize email prefix quoting (e.g. '>>>')"}));
  EXPECT_EQ(CurrentUiLanguage, kUiChinese);
}

}  // namespace
}  // namespace kelar
