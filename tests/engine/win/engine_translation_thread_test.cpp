// The job loop and its contract with a caller's source and sink.

#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/win/engine_translation_thread.h"
#include "engine/win/engine_test_support.h"
#include "threading/win/thread.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

using test::Read;
using test::ScriptedSink;
using test::ScriptedSource;

enum class SourceKind { kScripted, kWithoutInterface, kNone };

struct ContractCase {
  const char* name;
  std::vector<Read> script;
  SourceKind source = SourceKind::kScripted;
  bool sink = true;
  int failWrite = 0;
  int reads;
  std::vector<std::u16string> fragments;
  std::vector<LONG> done;
  int status;
};

TEST(EngineTranslationThreadTest, FollowsTheSourceAndSinkContract) {
  const ContractCase cases[] = {
      {"empty first text", {Read::Text(u"")}, SourceKind::kScripted, true, 0,
       1, {}, {1}, kThreadFinished},
      {"two texts, then a failed read", {Read::Text(u"a"), Read::Text(u"b"), Read::Failure(E_FAIL)},
       SourceKind::kScripted, true, 0,
       3, {u"<a>", u"<b>"}, {1}, kThreadFinished},
      {"a text whose first character is NUL", {Read::Text(std::u16string(u"\0xy", 3)), Read::Text(u"z")},
       SourceKind::kScripted, true, 0,
       1, {}, {1}, kThreadFinished},
      {"S_OK with a null text", {Read::NullText(), Read::Text(u"z")}, SourceKind::kScripted, true, 0,
       1, {}, {1}, kThreadFinished},
      {"a text is kept up to its first NUL", {Read::Text(std::u16string(u"ab\0cd", 5)), Read::Text(u"")},
       SourceKind::kScripted, true, 0,
       2, {u"<ab>"}, {1}, kThreadFinished},
      {"a failed read that still gave a text", {Read{E_FAIL, u"lost", false}, Read::Text(u"z")},
       SourceKind::kScripted, true, 0,
       1, {}, {1}, kThreadFinished},
      {"the sink fails the second fragment", {Read::Text(u"a"), Read::Text(u"b"), Read::Text(u"c"), Read::Text(u"")},
       SourceKind::kScripted, true, 2,
       2, {u"<a>"}, {0}, kThreadFailed},
      {"the translation of a piece fails", {Read::Text(u"a"), Read::Text(u"throw"), Read::Text(u"c")},
       SourceKind::kScripted, true, 0,
       2, {u"<a>"}, {0}, kThreadFailed},
      {"the source lacks the interface", {}, SourceKind::kWithoutInterface, true, 0,
       0, {}, {1}, kThreadFinished},
      {"no source", {}, SourceKind::kNone, true, 0,
       0, {}, {1}, kThreadFinished},
      {"no sink, no input", {Read::Text(u"")}, SourceKind::kScripted, false, 0,
       1, {}, {}, kThreadFailed},
      {"no sink, one text", {Read::Text(u"a"), Read::Text(u"")}, SourceKind::kScripted, false, 0,
       1, {}, {}, kThreadFailed},
  };
  for (const ContractCase& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<ScriptedSource> source = new ScriptedSource(c.script);
    ComPtr<ScriptedSink> sink = new ScriptedSink(c.failWrite);
    // An object that answers IDispatch but not ITranslationSource.
    ComPtr<ScriptedSink> impostor = new ScriptedSink();
    IDispatch* sourceArgument = nullptr;
    if (c.source == SourceKind::kScripted) sourceArgument = source.Get();
    if (c.source == SourceKind::kWithoutInterface) sourceArgument = impostor.Get();

    EXPECT_EQ(test::RunEchoJob(sourceArgument, c.sink ? sink.Get() : nullptr), c.status);
    EXPECT_EQ(source->Reads(), c.reads);
    EXPECT_EQ(sink->Fragments(), c.fragments);
    EXPECT_EQ(sink->Done(), c.done);
    // The job kept no reference beyond its own life.
    EXPECT_EQ(test::References(source.Get()), 1u);
    EXPECT_EQ(test::References(sink.Get()), 1u);
    EXPECT_EQ(test::References(impostor.Get()), 1u);
  }
}

TEST(EngineTranslationThreadTest, RunningOutOfMemoryInTheLoopEndsTheJobAsFailed) {
  ComPtr<ScriptedSource> source =
      new ScriptedSource({Read::Text(std::u16string(test::kLargeAllocation, u'x')), Read::Text(u"")});
  ComPtr<ScriptedSink> sink = new ScriptedSink();
  test::failLargeAllocations = true;
  const int status = test::RunEchoJob(source.Get(), sink.Get());
  test::failLargeAllocations = false;
  EXPECT_EQ(status, kThreadFailed);
  EXPECT_TRUE(sink->Fragments().empty());
  EXPECT_EQ(sink->Done(), std::vector<LONG>{0});
}

TEST(EngineTranslationThreadTest, AFailedTranslationStillWakesTheCallerWithTheJobMarkedFailed) {
  ComPtr<ScriptedSource> source = new ScriptedSource({Read::Text(u"throw")});
  ComPtr<ScriptedSink> sink = new ScriptedSink();
  ComPtr<test::EchoJob> job = new test::EchoJob(source.Get(), sink.Get());
  job->Resume();
  job->WaitWhilePumping();
  // Failed is recorded before the done event, and TranslationDone before both.
  EXPECT_EQ(job->Status(), kThreadFailed);
  EXPECT_EQ(sink->Done(), std::vector<LONG>{0});
  job.Reset();
  EXPECT_TRUE(test::EchoJobs::AllGone());
}

}  // namespace
}  // namespace kelar
