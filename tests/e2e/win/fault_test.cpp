// Faults injected around a running server: a vendor library that fails or
// is missing, a program folder where the exchange file cannot be written,
// sources that fail or stall, and two clients competing for the engine.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.h"
#include "installation.h"

namespace kelar::test::e2e {
namespace {

const std::wstring kA = L"\x0632\x0647 \x069A\x0647 \x06CC\x0645";  // "I am fine"
const std::wstring kB = L"\x0645\x0646\x0646\x0647";                // "thank you"
const std::wstring kC = L"\x06A9\x0627\x0628\x0644";                // "Kabul"

std::vector<std::wstring> Leftovers(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + pattern).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

TEST(Faults, VendorAndExchangeFailuresTravelInsideTheirFragments) {
  ComApartment com;
  ClientInterfaces interfaces;
  const struct {
    const char* what;
    Vendor vendor;
    const wchar_t* fakeDll;
    std::string settings;
    std::function<void(const std::wstring& folder)> prepare;
    std::vector<std::wstring> expected;
  } cases[] = {
      {"a failing piece does not end the job", Vendor::Fake, kFakeVyn, "translate_status=0,7,0", nullptr,
       {Fragment(kA), ErrorFragment(L"Error = 7.", kB), Fragment(kC)}},
      {"initialisation refused, and again for the next piece", Vendor::Fake, kFakeVyn, "init_status=3", nullptr,
       {ErrorFragment(L"Error = 3.", kA), ErrorFragment(L"Error = 3.", kB), ErrorFragment(L"Error = 3.", kC)}},
      {"a dictionary refused", Vendor::Fake, kFakeVyn, "register_status=5", nullptr,
       {ErrorFragment(L"Error = 5.", kA), ErrorFragment(L"Error = 5.", kB), ErrorFragment(L"Error = 5.", kC)}},
      {"no output file: an empty translation", Vendor::Fake, kFakeVyn, "output=none", nullptr,
       {Fragment(L""), Fragment(L""), Fragment(L"")}},
      {"no vendor library", Vendor::None, kFakeVyn, "", nullptr,
       {ErrorFragment(L"Cannot find needed DLLs", kA), ErrorFragment(L"Cannot find needed DLLs", kB),
        ErrorFragment(L"Cannot find needed DLLs", kC)}},
      {"a vendor library without its first entry point", Vendor::Fake, kFakeVynNoInit, "", nullptr,
       {ErrorFragment(L"Cannot find needed DLLs", kA), ErrorFragment(L"Cannot find needed DLLs", kB),
        ErrorFragment(L"Cannot find needed DLLs", kC)}},
      // Initialised and given its dictionaries before the binding fails: no
      // later piece may call an entry point that was never looked up.
      {"a vendor library without its working-folder entry point", Vendor::Fake, kFakeVynNoWorkFolder, "", nullptr,
       {ErrorFragment(L"Cannot find needed DLLs", kA), ErrorFragment(L"Cannot find needed DLLs", kB),
        ErrorFragment(L"Cannot find needed DLLs", kC)}},
      // A folder where the first exchange input belongs: the file cannot be
      // created (access denied), the next name is free again.
      {"the exchange input cannot be created", Vendor::Fake, kFakeVyn, "",
       [](const std::wstring& folder) { CreateDirectoryW((folder + L"in_psen1.txt").c_str(), nullptr); },
       {ErrorFragment(L"Error when calling fopen, error = 5.", kA), Fragment(kB), Fragment(kC)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installation(c.vendor, c.settings, c.fakeDll);
    ASSERT_TRUE(installation.Registered());
    if (c.prepare) c.prepare(installation.Folder());
    {
      ComPtr<IQVSTranslationEngine> engine = CreateEngine();
      ASSERT_TRUE(engine);
      auto source = Make<TestSource>(SourcePlan{{kA, kB, kC}});
      auto sink = Make<TestSink>();
      EXPECT_EQ(engine->Translate(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get()), S_OK);
      EXPECT_EQ(sink->Fragments(), c.expected);
      EXPECT_EQ(sink->Dones(), std::vector<long>{1});
    }
    // Whatever failed, no exchange input stays behind to be taken for the
    // leftover of a crash.
    EXPECT_TRUE(Leftovers(installation.Folder(), L"in_*.txt").empty());
  }
}

TEST(Faults, AVendorLibraryPutInPlaceServesTheNextTranslation) {
  ComApartment com;
  Installation installation(Vendor::None);
  ASSERT_TRUE(installation.Registered());
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);
  EXPECT_EQ(TranslateText(engine.Get(), PashtoToEnglish(), kA).text, ErrorFragment(L"Cannot find needed DLLs", kA));
  CopyInto(installation.Folder(), {FolderFile(kFakeVyn, L"Vyn.dll")});
  EXPECT_EQ(TranslateText(engine.Get(), PashtoToEnglish(), kA).text, Fragment(kA));
}

TEST(Faults, AFailingReadEndsTheInputAndTheJobSucceeds) {
  ComApartment com;
  ClientInterfaces interfaces;
  Installation installation(Vendor::Fake);
  ASSERT_TRUE(installation.Registered());
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);

  const struct {
    const char* what;
    SourcePlan plan;
    size_t reads;
  } cases[] = {
      {"a failure after two texts", SourcePlan{{kA, kB, kC}, SourcePlan::End::EmptyText, /*failAt=*/2}, 3},
      {"a null text after two", SourcePlan{{kA, kB}, SourcePlan::End::NullText}, 3},
      {"a text that starts with NUL", SourcePlan{{kA, kB, std::wstring(1, L'\0') + kC, kC}}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto source = Make<TestSource>(c.plan);
    auto sink = Make<TestSink>();
    EXPECT_EQ(engine->Translate(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get()), S_OK);
    EXPECT_EQ(sink->Fragments(), (std::vector<std::wstring>{Fragment(kA), Fragment(kB)}));
    EXPECT_EQ(sink->Dones(), std::vector<long>{1});
    EXPECT_EQ(source->Reads(), c.reads) << "nothing is read after the end of the input";
  }
}

// Runs `body` on a thread of its own in the multithreaded apartment.
std::thread InApartment(std::function<void()> body) {
  return std::thread([body = std::move(body)] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    body();
    CoUninitialize();
  });
}

TEST(Faults, JobsOfTwoClientsRunOneAfterTheOther) {
  ComApartment com;
  ClientInterfaces interfaces;
  Installation installation(Vendor::Fake, "delay_ms=150");
  ASSERT_TRUE(installation.Registered());
  ComPtr<IQVSTranslationEngine> first = CreateEngine();
  ComPtr<IQVSTranslationEngine> second = CreateEngine();
  ASSERT_TRUE(first && second);

  const std::wstring mark[2] = {L"\x0627", L"\x0628"};
  ComPtr<TestSource> sources[2];
  ComPtr<TestSink> sinks[2];
  for (int i = 0; i < 2; ++i) {
    sources[i] = Make<TestSource>(SourcePlan{{mark[i] + L" 1", mark[i] + L" 2", mark[i] + L" 3"}});
    sinks[i] = Make<TestSink>();
  }
  HRESULT results[2] = {E_UNEXPECTED, E_UNEXPECTED};
  IQVSTranslationEngine* engines[2] = {first.Get(), second.Get()};
  std::vector<std::thread> clients;
  for (int i = 0; i < 2; ++i) {
    clients.push_back(InApartment([&, i] {
      results[i] = engines[i]->Translate(Bstr(PashtoToEnglish()).Get(), sources[i].Get(), sinks[i].Get());
    }));
  }
  for (std::thread& client : clients) client.join();

  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(results[i], S_OK);
    EXPECT_EQ(sinks[i]->Fragments(), (std::vector<std::wstring>{Fragment(mark[i] + L" 1"), Fragment(mark[i] + L" 2"),
                                                                 Fragment(mark[i] + L" 3")}));
    EXPECT_EQ(sinks[i]->Dones(), std::vector<long>{1});
  }
  // The job that came second read nothing before the first had ended.
  const int earlier = sources[0]->FirstReadTime() < sources[1]->FirstReadTime() ? 0 : 1;
  const int later = 1 - earlier;
  EXPECT_GT(sources[later]->FirstReadTime(), sinks[earlier]->DoneTime());
  // And the vendor saw the pieces of one job, then those of the other.
  const std::vector<std::string> inputs = installation.FakeInputs();
  ASSERT_EQ(inputs.size(), 6u);
  for (size_t i = 1; i < 6; ++i) {
    const bool sameJob = inputs[i].substr(0, 2) == inputs[i - 1].substr(0, 2);
    EXPECT_EQ(sameJob, i != 3) << "piece " << i << " of the vendor's calls";
  }
}

TEST(Faults, AStalledReadHoldsTheEngineForEveryoneElse) {
  ComApartment com;
  ClientInterfaces interfaces;
  Installation installation(Vendor::Fake);
  ASSERT_TRUE(installation.Registered());
  ComPtr<IQVSTranslationEngine> staller = CreateEngine();
  ComPtr<IQVSTranslationEngine> other = CreateEngine();
  ASSERT_TRUE(staller && other);

  constexpr DWORD kStallMs = 3000;
  auto stalling = Make<TestSource>(SourcePlan{{kA, kB}, SourcePlan::End::EmptyText, -1, /*stallAt=*/1, kStallMs});
  auto stallingSink = Make<TestSink>();
  std::thread stalledJob = InApartment([&] {
    staller->Translate(Bstr(PashtoToEnglish()).Get(), stalling.Get(), stallingSink.Get());
  });
  if (WaitForSingleObject(stalling->FirstRead(), 30000) != WAIT_OBJECT_0) {
    stalledJob.join();
    FAIL() << "the stalling job never read";
  }
  // Let the job reach its stalled read.
  Sleep(300);

  // A Features call and another job arrive while the read stalls.
  double featuresStart = 0;
  double featuresEnd = 0;
  TextResult features;
  std::thread featuresCall = InApartment([&] {
    featuresStart = NowMs();
    features = Features(other.Get(), Bstr(PashtoToEnglish()).Get());
    featuresEnd = NowMs();
  });
  // So does a job whose source is no source at all: it still takes the
  // engine before it finds that out.
  auto notASource = Make<PlainDispatch>();
  auto sourcelessSink = Make<TestSink>();
  std::thread sourcelessJob = InApartment([&] {
    other->Translate(Bstr(PashtoToEnglish()).Get(), notASource.Get(), sourcelessSink.Get());
  });
  auto waiting = Make<TestSource>(SourcePlan{{kC}});
  auto waitingSink = Make<TestSink>();
  const double jobStart = NowMs();
  EXPECT_EQ(other->Translate(Bstr(PashtoToEnglish()).Get(), waiting.Get(), waitingSink.Get()), S_OK);
  sourcelessJob.join();
  featuresCall.join();
  stalledJob.join();

  EXPECT_EQ(stallingSink->Fragments(), (std::vector<std::wstring>{Fragment(kA), Fragment(kB)}));
  EXPECT_EQ(waitingSink->Fragments(), std::vector<std::wstring>{Fragment(kC)});
  EXPECT_EQ(features.hr, S_OK);
  // None of them got the engine before the stalled job had ended.
  EXPECT_GT(featuresEnd, stallingSink->DoneTime());
  EXPECT_GT(waiting->FirstReadTime(), stallingSink->DoneTime());
  EXPECT_EQ(sourcelessSink->Dones(), std::vector<long>{1});
  EXPECT_GT(sourcelessSink->DoneTime(), stallingSink->DoneTime());
  std::printf("[ measured ] a %lu ms stall in ReadText kept Features waiting %.0f ms and the next job %.0f ms\n",
              static_cast<unsigned long>(kStallMs), featuresEnd - featuresStart,
              waiting->FirstReadTime() - jobStart);
}

}  // namespace
}  // namespace kelar::test::e2e
