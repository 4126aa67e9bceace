// translate-client's file and text commands through the registered server
// and the bundled vendor engine: the file is streamed through the client's
// own source and sink and comes back line for line.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client_harness.h"

namespace kelar::test::tool {
namespace {

class ClientTranslate : public ::testing::Test {
 protected:
  void SetUp() override {
    AddVendorFiles(server_);
    ASSERT_EQ(server_.Run(L"/RegServer"), 0u);
    inputs_ = MakeFreshFolder();
  }
  void TearDown() override { DeleteTree(inputs_); }

  // A file of the given bytes in a folder of this test.
  std::wstring Input(const std::string& bytes) {
    const std::wstring path = inputs_ + L"input-" + std::to_wstring(++files_) + L".txt";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }

  ClientInterfacesRestored restored_;
  InstalledServer server_;
  std::wstring inputs_;
  int files_ = 0;
};

TEST_F(ClientTranslate, FileGivesTheSampleInEnglish) {
  const std::wstring samples = BuildPath(CLIENT_TEST_SAMPLES_DIR) + L"\\";
  const ClientRun run = RunClient(L"file \"" + samples + L"pashto.txt\"");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(Lines(run.out), Lines(ReadFileBytes(samples + L"pashto.en.txt")));
}

TEST_F(ClientTranslate, FileKeepsItsLayoutAndDecodesTheFragments) {
  // A byte-order mark, CRLF line ends, empty lines (which a source must not
  // hand to the engine: an empty text ends the input) and markup characters.
  const std::wstring input = Input("\xEF\xBB\xBF\xD9\x85\xD9\x86\xD9\x86\xD9\x87\r\n\r\n"
                                   "<b> & \xD9\x85\xD9\x86\xD9\x86\xD9\x87\r\n\r\n");

  const ClientRun plain = RunClient(L"file \"" + input + L"\"");
  EXPECT_EQ(plain.exitCode, 0u) << plain.err;
  EXPECT_EQ(plain.out, "Thank you\n\n<b> & thank you\n\n");

  const ClientRun xml = RunClient(L"file --xml \"" + input + L"\"");
  EXPECT_EQ(xml.exitCode, 0u) << xml.err;
  EXPECT_EQ(xml.out, "<Translation>Thank you</Translation>\n<Translation>&lt;b&gt; &amp; thank you</Translation>\n");
}

TEST_F(ClientTranslate, FileThatIsNotUtf8IsRefused) {
  const ClientRun run = RunClient(L"file \"" + Input("ok\n\xFF\xFE broken\n") + L"\"");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("is not UTF-8 text (invalid byte sequence at byte 3)"), std::string::npos) << run.err;
}

TEST_F(ClientTranslate, AStaleRegistrationOfTheClientLibraryIsMended) {
  // The client interfaces registered from a copy of the client library that
  // has been deleted since: nothing can marshal them until the client
  // registers its own library again.
  ComApartment com;
  const std::wstring copy = inputs_ + L"translation_client.tlb";
  ASSERT_TRUE(CopyFileW(BuildPath(CLIENT_TEST_CLIENT_TLB).c_str(), copy.c_str(), FALSE));
  {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    ASSERT_HRESULT_SUCCEEDED(LoadTypeLibEx(copy.c_str(), REGKIND_NONE, &library));
    ASSERT_HRESULT_SUCCEEDED(RegisterTypeLib(library.Get(), const_cast<OLECHAR*>(copy.c_str()), nullptr));
  }
  ASSERT_TRUE(DeleteFileW(copy.c_str()));

  const ClientRun run = RunClient(L"file \"" + Input("\xD9\x85\xD9\x86\xD9\x86\xD9\x87\n") + L"\"");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "Thank you\n");
  EXPECT_NE(run.err.find("registered its own type library"), std::string::npos) << run.err;
}

TEST_F(ClientTranslate, TextComesBackAsPlainEnglish) {
  const ClientRun run = RunClient(L"text -- \x0632\x0647 \x069A\x0647 \x06CC\x0645\x060C \x0645\x0646\x0646\x0647.");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "I am fine, thank you.\n");
}

}  // namespace
}  // namespace kelar::test::tool
