#include "core/win/unique_file_name.h"

#include <ctime>
#include <mutex>
#include <random>

#include "core/folders.h"
#include "core/win/folders.h"

namespace kelar {
namespace {

// The C runtime's rand keeps its state per thread here, and every translation
// job runs on a thread of its own: seeded once, it would still hand each new
// thread the same unseeded sequence. One generator for the process, used
// under the lock, is seeded once from the clock instead.
struct NameState {
  std::mutex lock;
  std::minstd_rand generator{static_cast<std::minstd_rand::result_type>(std::time(nullptr))};
};

NameState& State() {
  static NameState state;
  return state;
}

}  // namespace

std::optional<std::string> UniqueFileName(const std::string& numberTemplate) {
  NameState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  std::uniform_int_distribution<int> numbers(0, 32767);
  for (int draw = 0; draw < kUniqueFileNameDraws; ++draw) {
    std::string name = FormatNumberTemplate(numberTemplate, numbers(state.generator));
    // The folders come from the filled template, so a "%%" in a folder name
    // creates the folder that the name will actually be in.
    if (draw == 0) CreateFolders(name);
    if (!FileExists(name)) return name;
  }
  return std::nullopt;
}

}  // namespace kelar
