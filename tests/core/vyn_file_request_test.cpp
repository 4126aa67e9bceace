#include "core/vyn_file_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace kelar {
namespace {

const unsigned char* Bytes(const VynFileRequest& r) { return reinterpret_cast<const unsigned char*>(&r); }

TEST(VynFileRequest, IsFilledAsTheVendorReadsIt) {
  VynFileRequest r = MakeVynFileRequest(u"ps", u"en", {u"3", u" 12", u"-1", u"300", u"x"});
  ASSERT_TRUE(SetExchangeFiles(r, "C:\\P\\in_psen1.txt", "C:\\P\\out_psen1.txt"));
  const unsigned char* b = Bytes(r);
  EXPECT_EQ(b[0] | (b[1] << 8), 636);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[4] | (b[5] << 8), 9);   // en
  EXPECT_EQ(b[6] | (b[7] << 8), 99);  // ps
  EXPECT_STREQ(reinterpret_cast<const char*>(b + 8), "C:\\P\\in_psen1.txt");
  EXPECT_STREQ(reinterpret_cast<const char*>(b + 268), "C:\\P\\out_psen1.txt");
  EXPECT_STREQ(reinterpret_cast<const char*>(b + 528), "utf-8");
  EXPECT_STREQ(reinterpret_cast<const char*>(b + 560), "utf-8");
  const unsigned char expectedTds[] = {3, 12, 255, 300 & 0xFF, 0, 255, 0};
  EXPECT_EQ(0, std::memcmp(b + 592, expectedTds, sizeof expectedTds));
  EXPECT_EQ(b[624] | (b[625] << 8) | (b[626] << 16) | (b[627] << 24), 0x148);
  for (int i = 628; i < 636; ++i) EXPECT_EQ(b[i], 0) << i;
  // Unwritten bytes are zero.
  for (int i = 8 + 17; i < 268; ++i) ASSERT_EQ(b[i], 0) << i;
}

TEST(VynFileRequest, KeepsAtMost31DictionariesAndRefusesLongPaths) {
  std::vector<std::u16string> many(40, u"7");
  VynFileRequest r = MakeVynFileRequest(u"en", u"ar", many);
  const unsigned char* b = Bytes(r);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(b[592 + i], 7) << i;
  EXPECT_EQ(b[592 + 31], 255);
  EXPECT_EQ(b[624], 0x48);  // the flags right after are intact

  std::string longest(259, 'a');
  std::string tooLong(260, 'a');
  EXPECT_TRUE(SetExchangeFiles(r, longest, longest));
  EXPECT_FALSE(SetExchangeFiles(r, tooLong, "b"));
  EXPECT_FALSE(SetExchangeFiles(r, "b", tooLong));
  EXPECT_EQ(std::string(r.inputFile), longest);  // unchanged by the refusal
}

TEST(VynLanguageCode, KnowsTheVendorsNumbersExactly) {
  struct {
    std::u16string code;
    int number;
  } cases[] = {{u"en", 9},  {u"ar", 1},  {u"fa", 41}, {u"ko", 18}, {u"tr", 31}, {u"id", 33},
               {u"ps", 99}, {u"tl", 254}, {u"ur", 32}, {u"EN", 0}, {u"", 0},   {u"de", 0}};
  for (const auto& c : cases) EXPECT_EQ(VynLanguageCode(c.code), c.number) << std::string(c.code.begin(), c.code.end());
}

}  // namespace
}  // namespace kelar
