#include "measurements.h"

#include <oleauto.h>
#include <process.h>
#include <psapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "client_objects.h"
#include "core/win/engine_lock.h"
#include "documents/engine_options.h"
#include "engine/module_lock.h"
#include "engine/win/translation_engine.h"
#include "support/code_page.h"
#include "support/win/bstr.h"
#include "system.h"

using Microsoft::WRL::ComPtr;

namespace kelar::bench {
namespace {

constexpr wchar_t kOptions[] =
    L"<t:Option Name=\"SourceLanguage\">ps</t:Option><t:Option Name=\"TranslationLanguage\">en</t:Option>";

// Pashto words: every piece starts in the source script and has short runs,
// so text preparation hands it to the vendor whole and unchanged, and the
// echoing fake vendor gives it back as it was.
const wchar_t* const kPashtoWords[] = {
    L"زه",   L"ښه",   L"یم",    L"مننه", L"کور",  L"ښار",  L"کتاب", L"لیک",  L"پښتو", L"ژبه",
    L"سړی",  L"ښځه",  L"ماشوم", L"ورځ",  L"شپه",  L"اوبه", L"ډوډۍ", L"لار",  L"غر",   L"سیند",
    L"ونه",  L"ګل",   L"باران", L"واوره", L"لمر", L"سپوږمۍ", L"ستوری", L"ملګری", L"ښوونځی", L"زده"};
const wchar_t* const kLatinWords[] = {L"the", L"engine", L"translates", L"Pashto", L"into", L"English,",
                                      L"one", L"piece", L"at", L"a", L"time.", L"Kabul", L"2024", L"(test)"};

std::string Format(const char* format, ...) {
  char buffer[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  return buffer;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One round of a measurement: the product's figure and its floor, taken
// close together in time. The machine may be shared, and its load changes
// between rounds more than within one, so each round gives a ratio of its
// own and the round with the median ratio stands for the measurement.
struct Round {
  double product = 0;
  double floor = 0;
  std::vector<double> parts;  // what the floor is made of, or other details
  double Ratio() const { return product / floor; }
};

const Round& MedianRound(std::vector<Round>& rounds) {
  std::sort(rounds.begin(), rounds.end(), [](const Round& a, const Round& b) { return a.Ratio() < b.Ratio(); });
  return rounds[rounds.size() / 2];
}

// Exactly `length` characters of words separated by spaces, starting with
// word `first` of the list.
template <std::size_t N>
std::wstring Words(const wchar_t* const (&words)[N], std::size_t length, std::size_t first) {
  std::wstring text;
  text.reserve(length + 16);
  for (std::size_t i = first; text.size() < length; ++i) {
    if (!text.empty()) text += L' ';
    text += words[i % N];
  }
  text.resize(length);
  return text;
}

std::wstring Fragment(const std::wstring& text) { return L"<Translation>" + text + L"</Translation>\n"; }

std::u16string_view View(const std::wstring& text) { return {AsUtf16(text.data()), text.size()}; }

UniqueBstr Bstr(const std::wstring& text) {
  return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

const EngineOptions& InProcessOptions() {
  static const EngineOptions options = [] {
    EngineOptions o;
    o.SetFromXml(View(kOptions));
    return o;
  }();
  return options;
}

struct Pieces {
  std::vector<std::wstring> texts;
  std::vector<std::wstring> fragments;
};

// Sixteen different pieces of 100 characters and the fragments they come
// back as.
const Pieces& HundredCharacterPieces() {
  static const Pieces pieces = [] {
    Pieces p;
    for (std::size_t i = 0; i < 16; ++i) {
      p.texts.push_back(Words(kPashtoWords, 100, i * 7));
      p.fragments.push_back(Fragment(p.texts.back()));
    }
    return p;
  }();
  return pieces;
}

// ---- the parts of the floors ------------------------------------------------

// Mean time of a no-op cross-process call carrying the options and a piece.
double RoundTrip(IQVSTranslationEngine* engine, BSTR options, BSTR piece, int calls) {
  const double start = Now();
  for (int i = 0; i < calls; ++i) {
    UniqueBstr alternates;
    engine->get_AlternateWords(options, piece, alternates.Receive());
  }
  return (Now() - start) / calls;
}

// Mean time of translating one piece in this process: with the engine lock
// held throughout (what a job does per piece), or taken for each piece (what
// a call that translates one text does). Counts answers that are not the
// echo of their piece.
double InProcessTranslation(int calls, bool lockPerCall, std::size_t& mismatches) {
  const Pieces& pieces = HundredCharacterPieces();
  std::unique_ptr<EngineLock> held;
  if (!lockPerCall) held = std::make_unique<EngineLock>(InProcessOptions());
  const double start = Now();
  for (int i = 0; i < calls; ++i) {
    const std::size_t k = static_cast<std::size_t>(i) % pieces.texts.size();
    std::u16string fragment;
    if (lockPerCall) {
      EngineLock lock(InProcessOptions());
      fragment = lock.Translate(View(pieces.texts[k]));
    } else {
      fragment = held->Translate(View(pieces.texts[k]));
    }
    if (fragment != View(pieces.fragments[k])) ++mismatches;
  }
  return (Now() - start) / calls;
}

// The engine object itself, in this process: what a TranslateText call
// costs the server apart from the call reaching it.
class NoServerModule : public ModuleLock {
 public:
  long Lock() override { return InterlockedIncrement(&count_); }
  long Unlock() override { return InterlockedDecrement(&count_); }

 private:
  LONG count_ = 0;
};

double InProcessTranslateText(BSTR options, const std::wstring& text, const std::wstring& expected, int calls,
                              bool& ok) {
  static NoServerModule module;
  ComPtr<IQVSTranslationEngine> engine;
  if (FAILED(TranslationEngine::Create(module, IID_IQVSTranslationEngine,
                                       reinterpret_cast<void**>(engine.GetAddressOf())))) {
    ok = false;
    return 0;
  }
  UniqueBstr source = Bstr(text);
  const double start = Now();
  for (int i = 0; i < calls; ++i) {
    UniqueBstr translation;
    const HRESULT hr = engine->TranslateText(options, source.Get(), translation.Receive());
    if (FAILED(hr) || translation.Length() != expected.size() ||
        std::wmemcmp(translation.Get(), expected.data(), expected.size()) != 0) {
      ok = false;
    }
  }
  return (Now() - start) / calls;
}

unsigned __stdcall NoWork(void*) { return 0; }

// Mean time of starting a thread and waiting for its end.
double ThreadStartAndJoin(int threads) {
  const double start = Now();
  for (int i = 0; i < threads; ++i) {
    const uintptr_t handle = _beginthreadex(nullptr, 0, &NoWork, nullptr, 0, nullptr);
    if (handle == 0) continue;
    WaitForSingleObject(reinterpret_cast<HANDLE>(handle), INFINITE);
    CloseHandle(reinterpret_cast<HANDLE>(handle));
  }
  return (Now() - start) / threads;
}

// ---- the product ------------------------------------------------------------

struct JobResult {
  double seconds = 0;
  bool ok = false;
  std::string problem;
  // Medians over the pieces, as the client sees them: from answering a read
  // to the piece's fragment arriving (the read's way back, the translation,
  // the write's way there), and from the fragment to the next read.
  double readToWrite = 0;
  double writeToRead = 0;
};

JobResult RunJob(IQVSTranslationEngine* engine, BSTR options, std::size_t count) {
  const Pieces& pieces = HundredCharacterPieces();
  ComPtr<PieceSource> source = new PieceSource(pieces.texts, count);
  ComPtr<CheckingSink> sink = new CheckingSink(pieces.fragments);
  JobResult result;
  const double start = Now();
  const HRESULT hr = engine->Translate(options, source.Get(), sink.Get());
  result.seconds = Now() - start;
  if (FAILED(hr)) {
    result.problem = Format("Translate failed with 0x%08lX", static_cast<unsigned long>(hr));
  } else if (!sink->Succeeded() || sink->Fragments() != count || sink->Mismatches() != 0) {
    result.problem = Format("job ended %s with %zu of %zu fragments, %zu not the echo of their piece",
                            sink->Succeeded() ? "well" : "badly", sink->Fragments(), count, sink->Mismatches());
  } else {
    result.ok = true;
    const std::vector<double>& reads = source->ReadTimes();
    const std::vector<double>& writes = sink->WriteTimes();
    std::vector<double> there, back;
    for (std::size_t i = 0; i < writes.size() && i + 1 < reads.size(); ++i) {
      there.push_back(writes[i] - reads[i]);
      back.push_back(reads[i + 1] - writes[i]);
    }
    result.readToWrite = Median(there);
    result.writeToRead = Median(back);
  }
  return result;
}

// Mean time of TranslateText for `text`; false in `ok` when an answer is not
// the echo of the text.
double TranslateTextCalls(IQVSTranslationEngine* engine, BSTR options, const std::wstring& text,
                          const std::wstring& expected, int calls, bool& ok) {
  UniqueBstr source = Bstr(text);
  double total = 0;
  for (int i = 0; i < calls; ++i) {
    UniqueBstr translation;
    const double start = Now();
    const HRESULT hr = engine->TranslateText(options, source.Get(), translation.Receive());
    total += Now() - start;
    if (FAILED(hr) || translation.Length() != expected.size() ||
        std::wmemcmp(translation.Get(), expected.data(), expected.size()) != 0) {
      ok = false;
    }
  }
  return total / calls;
}

struct Memory {
  double megabytes = 0;
  const char* counter = "";
};

// The process's private memory. Wine 8 leaves PrivateUsage at 0; its
// PagefileUsage is the Unix process's anonymous memory, resident or swapped
// out (RssAnon + VmSwap), which is the same thing.
std::optional<Memory> PrivateMemory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    return std::nullopt;
  }
  Memory memory;
  SIZE_T bytes = counters.PrivateUsage;
  memory.counter = "PrivateUsage";
  if (bytes == 0) {
    bytes = counters.PagefileUsage;
    memory.counter = "PagefileUsage";
  }
  if (bytes == 0) {
    bytes = counters.WorkingSetSize;
    memory.counter = "WorkingSetSize";
  }
  memory.megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
  return memory;
}

// The lowest of a few readings: a job's worker thread may still be ending
// when the call returns, and what it holds would count for a moment.
std::optional<Memory> SettledMemory(HANDLE process) {
  std::optional<Memory> lowest;
  for (int i = 0; i < 8; ++i) {
    if (i > 0) Sleep(50);
    const std::optional<Memory> now = PrivateMemory(process);
    if (!now) return now;
    if (!lowest || now->megabytes < lowest->megabytes) lowest = now;
  }
  return lowest;
}

Row Failed(const std::string& name, const std::string& problem) {
  Row row;
  row.name = name;
  row.failed = true;
  row.note = problem;
  return row;
}

}  // namespace

bool Settings::Wants(const char* name) const {
  if (only.empty()) return true;
  const std::string list = "," + only + ",";
  return list.find("," + std::string(name) + ",") != std::string::npos;
}

bool WarmUp(ServerBench& bench) {
  const Pieces& pieces = HundredCharacterPieces();
  std::size_t mismatches = 0;
  const double bind = Now();
  InProcessTranslation(1, true, mismatches);
  Say("  in-process vendor binding and first translation: %.1f ms", (Now() - bind) * 1e3);
  InProcessTranslation(50, false, mismatches);
  if (mismatches != 0) {
    Say("  the in-process translation does not give back the echo of its piece: is the fake vendor in place?");
    return false;
  }
  UniqueBstr options = Bstr(kOptions);
  UniqueBstr piece = Bstr(pieces.texts[0]);
  RoundTrip(bench.engine, options.Get(), piece.Get(), 50);
  bool ok = true;
  TranslateTextCalls(bench.engine, options.Get(), pieces.texts[0], pieces.fragments[0], 20, ok);
  const JobResult job = RunJob(bench.engine, options.Get(), 100);
  if (!ok || !job.ok) {
    Say("  the server does not answer with the echo of its pieces%s%s", job.ok ? "" : ": ", job.problem.c_str());
    return false;
  }
  return true;
}

Row MeasureJobPerPiece(ServerBench& bench) {
  const char* name = "P1 Translate job, per piece";
  const int roundCount = bench.settings.quick ? 2 : 5;
  const std::size_t count = bench.settings.quick ? 200 : 1000;
  const int floorCalls = bench.settings.quick ? 25 : 150;  // before the job and again after it
  const Pieces& pieces = HundredCharacterPieces();
  UniqueBstr options = Bstr(kOptions);
  UniqueBstr piece = Bstr(pieces.texts[0]);

  std::vector<Round> rounds;
  for (int r = 0; r < roundCount; ++r) {
    std::size_t mismatches = 0;
    double roundTrip = RoundTrip(bench.engine, options.Get(), piece.Get(), floorCalls);
    double translation = InProcessTranslation(floorCalls, false, mismatches);
    const JobResult job = RunJob(bench.engine, options.Get(), count);
    if (!job.ok) return Failed(name, job.problem);
    roundTrip = (roundTrip + RoundTrip(bench.engine, options.Get(), piece.Get(), floorCalls)) / 2;
    translation = (translation + InProcessTranslation(floorCalls, false, mismatches)) / 2;
    if (mismatches != 0) return Failed(name, "the in-process translation did not give back the echo of its piece");
    Round round;
    round.product = job.seconds / static_cast<double>(count);
    round.floor = 2 * roundTrip + translation;
    round.parts = {roundTrip, translation, job.readToWrite, job.writeToRead};
    Say("  P1 round %d: job %.3f ms/piece (read to write %.3f, write to next read %.3f), round trip %.3f ms, "
        "in-process translation %.3f ms: %.2fx",
        r + 1, round.product * 1e3, job.readToWrite * 1e3, job.writeToRead * 1e3, roundTrip * 1e3,
        translation * 1e3, round.Ratio());
    rounds.push_back(round);
  }
  const Round& median = MedianRound(rounds);
  Row row;
  row.name = Format("%s (%zu x 100 chars)", name, count);
  row.product = Format("%.3f ms", median.product * 1e3);
  row.floor = Format("%.3f ms", median.floor * 1e3);
  row.ratio = median.Ratio();
  row.goal = 1.10;
  row.note = Format("floor = 2 x no-op round trip %.3f ms + in-process EngineLock::Translate %.3f ms; "
                    "per piece the client saw %.3f ms from a read to its fragment, %.3f ms from there to the next read",
                    median.parts[0] * 1e3, median.parts[1] * 1e3, median.parts[2] * 1e3, median.parts[3] * 1e3);
  return row;
}

Row MeasureTranslateTextPerCall(ServerBench& bench) {
  const char* name = "P2 TranslateText, per call (100 chars)";
  const int roundCount = bench.settings.quick ? 2 : 5;
  const int calls = bench.settings.quick ? 30 : 200;
  const int floorCalls = calls / 2;  // before the calls and again after them
  const Pieces& pieces = HundredCharacterPieces();
  UniqueBstr options = Bstr(kOptions);
  UniqueBstr piece = Bstr(pieces.texts[0]);

  std::vector<Round> rounds;
  for (int r = 0; r < roundCount; ++r) {
    bool ok = true;
    std::size_t mismatches = 0;
    double roundTrip = RoundTrip(bench.engine, options.Get(), piece.Get(), floorCalls);
    double thread = ThreadStartAndJoin(floorCalls);
    double translation = InProcessTranslation(floorCalls, true, mismatches);
    const double product =
        TranslateTextCalls(bench.engine, options.Get(), pieces.texts[0], pieces.fragments[0], calls, ok);
    if (!ok) return Failed(name, "TranslateText did not give back the echo of its text");
    roundTrip = (roundTrip + RoundTrip(bench.engine, options.Get(), piece.Get(), floorCalls)) / 2;
    thread = (thread + ThreadStartAndJoin(floorCalls)) / 2;
    translation = (translation + InProcessTranslation(floorCalls, true, mismatches)) / 2;
    if (mismatches != 0) return Failed(name, "the in-process translation did not give back the echo of its piece");
    // Not part of the floor: the engine object's own TranslateText, in this
    // process, tells the server's share of the call from the call's way there.
    const double engineInProcess =
        InProcessTranslateText(options.Get(), pieces.texts[0], pieces.fragments[0], floorCalls, ok);
    if (!ok) return Failed(name, "the in-process engine did not give back the echo of its text");
    Round round;
    round.product = product;
    round.floor = roundTrip + thread + translation;
    round.parts = {roundTrip, thread, translation, engineInProcess};
    Say("  P2 round %d: TranslateText %.3f ms, round trip %.3f ms, thread %.3f ms, in-process translation %.3f ms "
        "(in-process TranslateText %.3f ms): %.2fx",
        r + 1, product * 1e3, roundTrip * 1e3, thread * 1e3, translation * 1e3, engineInProcess * 1e3,
        round.Ratio());
    rounds.push_back(round);
  }
  const Round& median = MedianRound(rounds);
  Row row;
  row.name = name;
  row.product = Format("%.3f ms", median.product * 1e3);
  row.floor = Format("%.3f ms", median.floor * 1e3);
  row.ratio = median.Ratio();
  row.goal = 1.15;
  row.note = Format(
      "floor = no-op round trip %.3f ms + thread start and join %.3f ms + in-process EngineLock and Translate %.3f ms; "
      "the engine object's TranslateText in this process took %.3f ms",
      median.parts[0] * 1e3, median.parts[1] * 1e3, median.parts[2] * 1e3, median.parts[3] * 1e3);
  return row;
}

Row MeasureCostPerCharacter(ServerBench& bench) {
  const char* name = "P3 TranslateText, per char, 8 MiB vs 64 KiB";
  const int roundCount = bench.settings.quick ? 1 : 3;
  const std::size_t bigLength = bench.settings.quick ? (512u << 10) : (4u << 20);  // UTF-16 units
  const std::size_t smallLength = 32u << 10;
  const int smallCalls = 8;
  const Pieces& pieces = HundredCharacterPieces();
  UniqueBstr options = Bstr(kOptions);

  const std::wstring big = Words(kPashtoWords, bigLength, 3);
  const std::wstring bigExpected = Fragment(big);
  const std::wstring small = Words(kPashtoWords, smallLength, 3);
  const std::wstring smallExpected = Fragment(small);
  UniqueBstr bigText = Bstr(big);

  // The cost of a call that does not grow with the text (round trip, thread,
  // engine lock, exchange files) is taken off both, so that the ratio shows
  // how the work per character grows, undiluted by it.
  std::vector<Round> rounds;
  for (int r = 0; r < roundCount; ++r) {
    bool ok = true;
    const double fixed =
        TranslateTextCalls(bench.engine, options.Get(), pieces.texts[0], pieces.fragments[0], 20, ok);
    const double smallCall = TranslateTextCalls(bench.engine, options.Get(), small, smallExpected, smallCalls, ok);
    const double bigCall = TranslateTextCalls(bench.engine, options.Get(), big, bigExpected, 1, ok);
    if (!ok) return Failed(name, "TranslateText did not give back the echo of its text");
    // Where the time per character of the long text goes: the translation
    // in this process, and the text crossing to the server once (it crosses
    // twice, as the text and as its fragment).
    const double startPart = Now();
    {
      EngineLock lock(InProcessOptions());
      lock.Translate(View(big));
    }
    const double inProcess = Now() - startPart;
    const double crossing = RoundTrip(bench.engine, options.Get(), bigText.Get(), 1);

    Round round;
    round.product = (bigCall - fixed) / static_cast<double>(bigLength);
    round.floor = (smallCall - fixed) / static_cast<double>(smallLength);
    round.parts = {fixed, inProcess / static_cast<double>(bigLength), crossing / static_cast<double>(bigLength)};
    Say("  P3 round %d: %zu chars in %.1f ms, %zu chars in %.2f ms, a 100-char call %.3f ms; in process %.1f ms, "
        "one no-op call carrying the long text %.1f ms: %.2fx",
        r + 1, bigLength, bigCall * 1e3, smallLength, smallCall * 1e3, fixed * 1e3, inProcess * 1e3, crossing * 1e3,
        round.Ratio());
    rounds.push_back(round);
  }
  const Round& median = MedianRound(rounds);
  Row row;
  row.name = name;
  if (bigLength != (4u << 20)) row.name = Format("P3 TranslateText, per char, %zu KiB vs 64 KiB", bigLength * 2 / 1024);
  row.product = Format("%.1f ns/char", median.product * 1e9);
  row.floor = Format("%.1f ns/char", median.floor * 1e9);
  row.ratio = median.Ratio();
  row.goal = 1.2;
  row.note = Format("calls of %zu and %zu UTF-16 chars, less the %.3f ms of a 100-char call; of the long text's "
                    "cost per char, %.1f ns is the translation in process and %.1f ns one crossing to the server",
                    bigLength, smallLength, median.parts[0] * 1e3, median.parts[1] * 1e9, median.parts[2] * 1e9);
  return row;
}

Row MeasureMemoryGrowth(ServerBench& bench) {
  if (bench.serverProcess == nullptr) return Failed("P4 server private memory", "the server's process was not found");
  const std::size_t target = bench.settings.quick ? 5000 : 100000;
  const std::size_t reference = target / 10;
  const std::size_t perJob = reference / 2;
  UniqueBstr options = Bstr(kOptions);
  const double seconds = bench.settings.memorySeconds >= 0 ? bench.settings.memorySeconds : bench.memorySeconds;

  std::optional<Memory> atReference;
  std::optional<Memory> last;
  std::vector<double> counts, megabytes;  // from the reference on
  std::size_t done = 0;
  const double start = Now();
  while (done < target) {
    const JobResult job = RunJob(bench.engine, options.Get(), perJob);
    if (!job.ok) return Failed("P4 server private memory", job.problem);
    done += perJob;
    last = SettledMemory(bench.serverProcess);
    if (!last) {
      return Failed("P4 server private memory", Format("GetProcessMemoryInfo failed, error %lu", GetLastError()));
    }
    if (done == reference) atReference = last;
    if (atReference) {
      counts.push_back(static_cast<double>(done));
      megabytes.push_back(last->megabytes);
    }
    const double elapsed = Now() - start;
    Say("  P4 after %zu pieces: %.3f MB (%s), %.2f ms/piece, %.0f s so far", done, last->megabytes, last->counter,
        job.seconds * 1e3 / static_cast<double>(perJob), elapsed);
    // On a slow or busy machine the run stops early rather than overrun the
    // time the whole benchmark is given; the line then names the count.
    if (atReference && done < target && elapsed + job.seconds > seconds &&
        done >= 2 * reference) {
      break;
    }
  }
  Row row;
  const auto count = [](std::size_t n) { return n % 1000 == 0 ? std::to_string(n / 1000) + "k" : std::to_string(n); };
  row.name = "P4 server private memory, " + count(done) + " vs " + count(reference) + " pieces";
  row.product = Format("%.3f MB", last->megabytes);
  row.floor = Format("%.3f MB", atReference->megabytes);
  row.ratio = last->megabytes - atReference->megabytes;
  row.growth = true;
  row.goal = 1.0;
  // A leak grows with the pieces; the heap or a new thread of the runtime
  // takes memory in steps. The trend over all readings tells them apart.
  double meanCount = 0, meanMegabytes = 0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    meanCount += counts[i] / static_cast<double>(counts.size());
    meanMegabytes += megabytes[i] / static_cast<double>(counts.size());
  }
  double covariance = 0, variance = 0, largestStep = 0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    covariance += (counts[i] - meanCount) * (megabytes[i] - meanMegabytes);
    variance += (counts[i] - meanCount) * (counts[i] - meanCount);
    if (i > 0) largestStep = std::max(largestStep, megabytes[i] - megabytes[i - 1]);
  }
  const double kilobytesPer10k = variance > 0 ? covariance / variance * 1024.0 * 10000.0 : 0;
  row.note = Format("%s (GetProcessMemoryInfo) of the server after each job of %zu pieces; trend %.1f KB per "
                    "10k pieces, largest step between readings %.3f MB",
                    last->counter, perJob, kilobytesPer10k, largestStep);
  if (done < target) {
    row.note += Format("; stopped at %zu of %zu pieces after %.0f s to keep within the run's time", done, target,
                       Now() - start);
  }
  return row;
}

namespace {

// The platform's conversions as a caller uses them to get a string of its
// own: ask for the size, then convert into a string of exactly that size.
std::wstring PlatformDecode(std::string_view bytes) {
  const int count = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), count, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), count, text.data(), units);
  return text;
}

std::string PlatformEncode(std::wstring_view text) {
  const int count = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), count, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

struct CodecTimes {
  std::vector<double> ourDecode, platformDecode, ourEncode, platformEncode;
  bool same = true;  // both give the same text and the same bytes
};

// Converts `utf8` and back, `repeat` times each, with ours and with the
// platform's; adds one time per direction and side to `times`.
void TimeCodecs(const std::string& utf8, int repeat, CodecTimes& times) {
  std::u16string ours;
  std::wstring theirs;
  std::string ourBytes, theirBytes;
  double start = Now();
  for (int i = 0; i < repeat; ++i) ours = CodePageToWide(utf8, kCodePageUtf8);
  times.ourDecode.push_back(Now() - start);
  start = Now();
  for (int i = 0; i < repeat; ++i) theirs = PlatformDecode(utf8);
  times.platformDecode.push_back(Now() - start);
  start = Now();
  for (int i = 0; i < repeat; ++i) ourBytes = WideToCodePage(ours, kCodePageUtf8);
  times.ourEncode.push_back(Now() - start);
  start = Now();
  for (int i = 0; i < repeat; ++i) theirBytes = PlatformEncode(theirs);
  times.platformEncode.push_back(Now() - start);
  times.same = times.same && ours.size() == theirs.size() &&
               std::memcmp(ours.data(), theirs.data(), ours.size() * sizeof(char16_t)) == 0 && ourBytes == utf8 &&
               theirBytes == utf8;
}

// `size` bytes of UTF-8: a run of Pashto words, then a run of Latin ones, and
// so on, cut on a character boundary.
std::string MixedUtf8(std::size_t size) {
  std::wstring wide;
  for (std::size_t i = 0; wide.size() < size; ++i) {
    wide += Words(kPashtoWords, 61, i * 3) + L' ';
    wide += Words(kLatinWords, 47, i * 5) + L' ';
  }
  std::string utf8 = PlatformEncode(wide);
  std::size_t cut = std::min(size, utf8.size());
  while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
  utf8.resize(cut);
  return utf8;
}

}  // namespace

std::vector<Row> MeasureUtf8Codec(const Settings& settings) {
  const int rounds = settings.quick ? 2 : 5;
  const std::size_t size = settings.quick ? (2u << 20) : (16u << 20);
  const std::string utf8 = MixedUtf8(size);
  // The same amount again in pieces of 64 KiB, whose memory the heap hands
  // out again warm: the conversion loops alone, without the page faults of
  // 16 MiB of fresh memory, which are costly in virtual machines.
  const std::string piece = utf8.substr(0, 64u << 10);
  const int pieces = static_cast<int>(utf8.size() / piece.size());

  CodecTimes whole, warm;
  for (int r = 0; r < rounds; ++r) {
    TimeCodecs(utf8, 1, whole);
    TimeCodecs(piece, pieces, warm);
    Say("  P5 round %d: decode %.1f / %.1f ms, encode %.1f / %.1f ms (ours / platform); "
        "in 64 KiB pieces decode %.1f / %.1f ms, encode %.1f / %.1f ms",
        r + 1, whole.ourDecode.back() * 1e3, whole.platformDecode.back() * 1e3, whole.ourEncode.back() * 1e3,
        whole.platformEncode.back() * 1e3, warm.ourDecode.back() * 1e3, warm.platformDecode.back() * 1e3,
        warm.ourEncode.back() * 1e3, warm.platformEncode.back() * 1e3);
  }

  const double megabytes = static_cast<double>(utf8.size()) / (1024.0 * 1024.0);
  std::vector<Row> rows;
  for (int encode = 0; encode < 2; ++encode) {
    // The round with the median ratio, as for the other measurements.
    const auto median = [](const std::vector<double>& ours, const std::vector<double>& platform) {
      std::vector<std::size_t> order(ours.size());
      for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
      std::sort(order.begin(), order.end(),
                [&](std::size_t a, std::size_t b) { return platform[a] / ours[a] < platform[b] / ours[b]; });
      return order[order.size() / 2];
    };
    const std::vector<double>& ours = encode ? whole.ourEncode : whole.ourDecode;
    const std::vector<double>& platform = encode ? whole.platformEncode : whole.platformDecode;
    const std::vector<double>& oursWarm = encode ? warm.ourEncode : warm.ourDecode;
    const std::vector<double>& platformWarmTimes = encode ? warm.platformEncode : warm.platformDecode;
    const std::size_t m = median(ours, platform);
    const std::size_t w = median(oursWarm, platformWarmTimes);
    const double ourTime = ours[m];
    const double platformTime = platform[m];
    const double ourWarm = oursWarm[w];
    const double platformWarm = platformWarmTimes[w];
    Row row;
    row.name = Format("P5 UTF-8 %s, %.0f MiB mixed Pashto/Latin", encode ? "encode" : "decode", megabytes);
    if (!whole.same || !warm.same) {
      row.failed = true;
      row.note = "our result differs from the platform's; ";
    }
    row.product = Format("%.0f MB/s", megabytes / ourTime);
    row.floor = Format("%.0f MB/s", megabytes / platformTime);
    row.ratio = platformTime / ourTime;
    row.atLeast = true;
    row.goal = 1.0;
    row.note += Format("%s vs %s (size query, then into a string of that size); in 64 KiB pieces %.0f vs %.0f MB/s "
                       "(%.2fx)",
                       encode ? "WideToCodePage(65001)" : "CodePageToWide(65001)",
                       encode ? "WideCharToMultiByte(CP_UTF8)" : "MultiByteToWideChar(CP_UTF8)", megabytes / ourWarm,
                       megabytes / platformWarm, platformWarm / ourWarm);
    rows.push_back(row);
  }
  return rows;
}

void PrintTable(const std::vector<Row>& rows) {
  Say("");
  Say("%-48s %14s %14s %9s %10s  %s", "measurement", "product", "floor", "ratio", "goal", "");
  for (const Row& row : rows) {
    if (row.failed && row.product.empty()) {
      Say("%-48s %14s %14s %9s %10s  %s", row.name.c_str(), "-", "-", "-", "-", "NOT MEASURED");
      continue;
    }
    const bool met = row.atLeast ? row.ratio >= row.goal : row.ratio <= row.goal;
    const std::string ratio = row.growth ? Format("%+.2f MB", row.ratio) : Format("%.2fx", row.ratio);
    const std::string goal =
        row.growth ? Format("<= %.0f MB", row.goal) : Format("%s %.2fx", row.atLeast ? ">=" : "<=", row.goal);
    Say("%-48s %14s %14s %9s %10s  %s", row.name.c_str(), row.product.c_str(), row.floor.c_str(), ratio.c_str(),
        goal.c_str(), row.failed ? "WRONG RESULT" : met ? "met" : "MISSED");
  }
  Say("");
  for (const Row& row : rows) {
    if (!row.note.empty()) Say("%.2s: %s", row.name.c_str(), row.note.c_str());
  }
}

}  // namespace kelar::bench
