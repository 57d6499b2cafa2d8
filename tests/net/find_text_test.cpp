#include <gtest/gtest.h>

#include <random>

#include "net/text_util.h"

namespace velloran {
namespace {

// The block search must agree with the plain search at every offset, for
// needles that match near block edges and at the very end.
TEST(FindText, AgreesWithTheStandardSearchEverywhere) {
  std::mt19937 rng(3);
  const std::u16string alphabet = u"<>/ABT가";
  for (int round = 0; round < 300; ++round) {
    std::u16string text(rng() % 70, u' ');
    for (auto& c : text) c = alphabet[rng() % alphabet.size()];
    for (int k = 0; k < 10; ++k) {
      const std::size_t len = rng() % 5;
      const std::size_t at = text.empty() ? 0 : rng() % text.size();
      const std::u16string needle = text.substr(at, len);
      for (std::size_t from = 0; from <= text.size() + 1; ++from) {
        ASSERT_EQ(FindText(text, needle, from), std::u16string_view(text).find(needle, from))
            << "round " << round << " from " << from;
      }
    }
  }
}

}  // namespace
}  // namespace velloran
