// Comparing a computed value with a published figure given to a number of significant
// digits: the figure is the computed value rounded, so they differ by at most half a unit
// in the last digit given.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>

namespace quelnor::test {

inline ::testing::AssertionResult matches_digits(double actual, double published, int digits) {
  const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(published))) - digits + 1);
  if (std::fabs(actual - published) <= 0.5 * unit * 1.0001) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::setprecision(17) << actual << " is not " << published
                                       << " to " << digits << " digits";
}

}  // namespace quelnor::test
