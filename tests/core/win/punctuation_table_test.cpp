#include <cwctype>

#include <gtest/gtest.h>

#include "core/text_preparation.h"

namespace kelar {
namespace {

// The portable table was generated from the runtime; this keeps the two in
// step over every code unit.
TEST(IsPunctuation, AgreesWithTheRuntimeOverAllCodeUnits) {
  const char16_t extra[] = {0x0020, 0x2018, 0x2019, 0x201C, 0x201D};
  int differences = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    bool expected = std::iswpunct(static_cast<wint_t>(u)) != 0;
    for (char16_t e : extra) expected = expected || u == e;
    if (IsPunctuation(static_cast<char16_t>(u)) != expected && ++differences < 10) {
      ADD_FAILURE() << "U+" << std::hex << u;
    }
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace kelar
