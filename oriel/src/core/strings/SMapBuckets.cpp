#include "core/SMap.h"

namespace ORIEL {
namespace detail {
namespace {

// Primes, each about 1.25 times the one before.
constexpr unsigned kPrimes[] = {
    17,      23,      29,      37,      41,      53,      67,      83,      103,      131,     163,      211,
    257,     331,     409,     521,     647,     821,     1031,    1291,    1627,     2053,    2591,     3251,
    4099,    5167,    6521,    8209,    10331,   13007,   16411,   20663,   26017,    32771,   41299,    52021,
    65537,   82571,   104033,  131101,  165161,  208067,  262147,  330287,  416147,   524309,  660563,   832339,
    1048583, 1321139, 1664543, 2097169, 2642257, 3329023, 4194319, 5284493, 6658049,  8388617, 10568993, 13316089,
};
static_assert(sizeof kPrimes / sizeof kPrimes[0] == 60);

}  // namespace

unsigned PickMapBucketCount(size_t elements, float optimalLoad) {
  const auto wanted = static_cast<size_t>(static_cast<double>(elements) / optimalLoad);
  if (wanted < 18) return 17;
  for (unsigned prime : kPrimes) {
    if (prime >= wanted) return prime;
  }
  return wanted > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned>(wanted);
}

}  // namespace detail
}  // namespace ORIEL
