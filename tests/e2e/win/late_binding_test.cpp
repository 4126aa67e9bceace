// A script host reaches the engine by its ProgID alone and calls it by name,
// as automation clients do: JScript under the prefix's cscript.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "installation.h"

namespace kelar::test::e2e {
namespace {

// A JScript string literal that keeps the script file ASCII, whatever code
// page the script host reads it in: everything else goes in as \uXXXX.
std::string JsString(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != L'"' && c != L'\\') {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out + "\"";
}

struct ScriptRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // carriage returns removed
};

// Where script output goes: outside the installation, whose folder must be
// deleted at the end of the test. The script host's standard handles are
// inherited by what it starts, the server and, in a new wineserver session,
// Wine's desktop process, which lives as long as the session and keeps the
// file open; so the name is unique and old files are removed when they can.
std::wstring ScriptOutputPath() {
  const std::wstring folder = L"C:\\kelar-tests\\script-output\\";
  CreateDirectoryW(L"C:\\kelar-tests", nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"*.out").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW((folder + entry.cFileName).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  return folder + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L".out";
}

// Runs `script` with cscript; its output is collected through a file, since
// the server that COM starts for the script inherits its standard handles
// and a pipe would stay open as long as the server runs.
ScriptRun RunScript(const std::wstring& folder, const std::string& script) {
  ScriptRun run;
  const std::wstring scriptPath = folder + L"engine.js";
  const std::wstring outputPath = ScriptOutputPath();
  if (FILE* f = _wfopen(scriptPath.c_str(), L"wb")) {
    std::fwrite(script.data(), 1, script.size(), f);
    std::fclose(f);
  }
  {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle output(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, 0, nullptr));
    if (!output) {
      ADD_FAILURE() << "cannot create the script's output file";
      return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    std::wstring commandLine = L"C:\\windows\\system32\\cscript.exe //nologo \"" + scriptPath + L"\"";
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
      ADD_FAILURE() << "cannot start cscript, error " << GetLastError();
      return run;
    }
    UniqueHandle thread(process.hThread);
    UniqueHandle script(process.hProcess);
    if (WaitForSingleObject(script.Get(), 60000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the script did not end";
      TerminateProcess(script.Get(), 99);
    }
    GetExitCodeProcess(script.Get(), &run.exitCode);
  }
  for (char c : ReadBytes(outputPath)) {
    if (c != '\r') run.output += c;
  }
  // Fails while a process that inherited the handle still runs; a later
  // run removes the file then.
  DeleteFileW(outputPath.c_str());
  return run;
}

TEST(LateBinding, AScriptCreatesTheEngineByItsProgIdAndCallsItByName) {
  ComApartment com;
  Installation installation(Vendor::Bundled);
  ASSERT_TRUE(installation.Registered());
  const std::vector<std::wstring> pashto = ReadUtf8Lines(BuildFolder() + kBundledEngineFolder + L"pashto.txt");
  const std::vector<std::wstring> english =
      ReadUtf8Lines(BuildFolder() + kBundledEngineFolder + L"pashto.en.txt");
  ASSERT_GT(pashto.size(), 3u);
  ASSERT_EQ(pashto.size(), english.size());

  const std::string options =
      "'<t:Option Name=\"SourceLanguage\">ps</t:Option><t:Option Name=\"TranslationLanguage\">en</t:Option>'";
  const std::string script =
      "var engine = new ActiveXObject(\"QVKelarEnPsTranslationEngine.TranslationEngine\");\n"
      "var options = " + options + ";\n"
      "WScript.Echo(\"[\" + engine.TranslateText(options, " + JsString(pashto[3]) + ") + \"]\");\n"
      "WScript.Echo(\"[\" + engine.TranslateText(options, \"\") + \"]\");\n"
      "WScript.Echo(\"[\" + engine.Features(options) + \"]\");\n";
  const ScriptRun run = RunScript(installation.Folder(), script);
  EXPECT_EQ(run.exitCode, 0u) << run.output;

  // The same document as a vtable client gets, to compare the script's with.
  std::wstring features;
  {
    ComPtr<IQVSTranslationEngine> engine = CreateEngine();
    ASSERT_TRUE(engine);
    const TextResult result = Features(engine.Get(), Bstr(PashtoToEnglish()).Get());
    ASSERT_EQ(result.hr, S_OK);
    features = result.text;
  }
  const std::wstring fragment = Fragment(english[3]);
  std::string expected = "[" + std::string(fragment.begin(), fragment.end()) + "]\n[]\n[";
  // Echo writes the console's code page; the document is compared where it
  // is ASCII.
  std::string featuresAscii;
  for (wchar_t c : features) featuresAscii += (c < 0x80) ? static_cast<char>(c) : '?';
  expected += featuresAscii + "]\n";
  std::string actual = run.output;
  for (size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
    if (expected[i] == '?') actual[i] = '?';
  }
  EXPECT_EQ(actual, expected);
}

}  // namespace
}  // namespace kelar::test::e2e
