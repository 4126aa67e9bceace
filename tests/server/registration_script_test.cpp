#include "server/registration_script.h"

#include <gtest/gtest.h>

#include <string>

#include "support/exceptions.h"

namespace kelar {
namespace {

std::string Ascii(const std::u16string& s) { return std::string(s.begin(), s.end()); }

ScriptValue String(std::u16string text) { return {ScriptValue::Kind::String, std::move(text), 0}; }
ScriptValue Dword(std::uint32_t n) { return {ScriptValue::Kind::Dword, {}, n}; }

TEST(RegistrationScript, ParsesKeysRemovalMarksAndValues) {
  const auto blocks = ParseRegistrationScript(
      u"HKCR\n"
      u"{\n"
      u"  noremove CLSID\n"
      u"  {\n"
      u"    ForceRemove {C8D3A82F-3A1F-4539-B7E3-C7ADB33E7688} = s 'A ''quoted'' {class}'\n"
      u"    {\n"
      u"      VAL AppID = s '{DE306D5F}'\n"
      u"      val Count = d 0x1F\n"
      u"      LocalServer32 = s 'C:\\x.exe'\n"
      u"      'val' { }\n"
      u"    }\n"
      u"    Delete Old\n"
      u"  }\n"
      u"}\n"
      u"HKEY_LOCAL_MACHINE { 'Two Words' = d '42' }\n");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].root, RegistryRoot::ClassesRoot);
  EXPECT_EQ(blocks[1].root, RegistryRoot::LocalMachine);

  ASSERT_EQ(blocks[0].keys.size(), 1u);
  const ScriptKey& clsid = blocks[0].keys[0];
  EXPECT_EQ(Ascii(clsid.name), "CLSID");
  EXPECT_EQ(clsid.removal, KeyRemoval::Kept);
  EXPECT_FALSE(clsid.hasDefaultValue);
  ASSERT_EQ(clsid.subkeys.size(), 2u);

  const ScriptKey& cls = clsid.subkeys[0];
  EXPECT_EQ(Ascii(cls.name), "{C8D3A82F-3A1F-4539-B7E3-C7ADB33E7688}");
  EXPECT_EQ(cls.removal, KeyRemoval::Replaced);
  ASSERT_TRUE(cls.hasDefaultValue);
  EXPECT_EQ(cls.defaultValue, String(u"A 'quoted' {class}"));
  ASSERT_EQ(cls.namedValues.size(), 2u);
  EXPECT_EQ(Ascii(cls.namedValues[0].first), "AppID");
  EXPECT_EQ(cls.namedValues[0].second, String(u"{DE306D5F}"));
  EXPECT_EQ(Ascii(cls.namedValues[1].first), "Count");
  EXPECT_EQ(cls.namedValues[1].second, Dword(31));
  ASSERT_EQ(cls.subkeys.size(), 2u);
  EXPECT_EQ(Ascii(cls.subkeys[0].name), "LocalServer32");
  EXPECT_EQ(cls.subkeys[0].removal, KeyRemoval::Normal);
  EXPECT_EQ(cls.subkeys[0].defaultValue, String(u"C:\\x.exe"));
  // Quoted, a keyword is only a name.
  EXPECT_EQ(Ascii(cls.subkeys[1].name), "val");
  EXPECT_TRUE(cls.subkeys[1].subkeys.empty());

  EXPECT_EQ(Ascii(clsid.subkeys[1].name), "Old");
  EXPECT_EQ(clsid.subkeys[1].removal, KeyRemoval::Deleted);

  ASSERT_EQ(blocks[1].keys.size(), 1u);
  EXPECT_EQ(Ascii(blocks[1].keys[0].name), "Two Words");
  EXPECT_EQ(blocks[1].keys[0].defaultValue, Dword(42));
}

TEST(RegistrationScript, PathWithQuotesAndPercentSurvivesReplacement) {
  const std::u16string path = u"C:\\O'Brien's 100% files\\server.exe";
  const auto blocks = ParseRegistrationScript(ExpandReplacements(
      u"HKCR { A = s '%Module%' B = s '%module_raw%' C = s '[%APPID%]' D = s '50%%' }", ModuleReplacements(path)));
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].keys.size(), 4u);
  EXPECT_EQ(blocks[0].keys[0].defaultValue.text, u"\"" + path + u"\"");
  EXPECT_EQ(blocks[0].keys[1].defaultValue.text, path);
  EXPECT_EQ(blocks[0].keys[2].defaultValue.text, u"[]");
  EXPECT_EQ(blocks[0].keys[3].defaultValue.text, u"50%");
}

TEST(RegistrationScript, RefusesUnknownOrUnclosedReplacements) {
  const ScriptReplacements replacements = {{u"Module", u"x"}};
  for (const char16_t* script : {u"HKCR { A = s '%Modul%' }", u"HKCR { A = s '%Module' }"}) {
    EXPECT_THROW(ExpandReplacements(script, replacements), StringException) << Ascii(script);
  }
}

TEST(RegistrationScript, RefusesMalformedScripts) {
  const char16_t* const scripts[] = {
      u"HKCR { A = s 'x' ",               // block not closed
      u"HKCR { A { }",                    // inner block closes, outer does not
      u"HKCR A { }",                      // no brace after the root
      u"HKXX { }",                        // unknown root
      u"HKCR { val A = s 'x' }",          // named value without a key
      u"HKCR { A = s }",                  // value missing
      u"HKCR { A = s 'x }",               // quote not closed
      u"HKCR { A = q 'x' }",              // unknown value type
      u"HKCR { A = d 'abc' }",            // not a number
      u"HKCR { A = d 4294967296 }",       // too large for a DWORD
      u"HKCR { A { val B s 'x' } }",      // "=" missing
      u"HKCR { '' = s 'x' }",             // empty key name
      u"HKCR { ForceRemove }",            // mark without a key
      u"HKCR { Delete A = s 'x' }",       // a deleted key cannot be written
      u"HKCR { = s 'x' }",                // value without a key
  };
  for (const char16_t* script : scripts) {
    EXPECT_THROW(ParseRegistrationScript(script), StringException) << Ascii(script);
  }
}

TEST(RegistrationScript, ErrorNamesTheLine) {
  try {
    ParseRegistrationScript(u"HKCR\n{\n  A = s 'x'\n  B = z 'y'\n}\n");
    FAIL() << "no exception";
  } catch (const StringException& e) {
    EXPECT_NE(e.Text().find("line 4"), std::string::npos) << e.Text();
  }
}

}  // namespace
}  // namespace kelar
