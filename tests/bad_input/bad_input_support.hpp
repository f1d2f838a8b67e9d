#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/utf.hpp"
#include "support/error_number.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {

namespace fs = std::filesystem;

// A list of getFileList (entries joined by carriage returns) in comparison form ("||").
inline std::u16string comparisonForm(const std::u16string& scanForm) {
  std::u16string joined;
  for (char16_t ch : scanForm) {
    if (ch == u'\r') {
      joined += u"||";
    } else {
      joined += ch;
    }
  }
  return joined;
}

// The error a call throws and its description; 0 when it succeeds.
struct Failure {
  int32_t number = 0;
  std::string description;
};

template <typename Call>
Failure failureOf(Call&& call) {
  Failure failure;
  failure.number = errorNumberOf(std::forward<Call>(call), &failure.description);
  return failure;
}

// A check in a child process passed, within the runner's time limit.
inline void expectChildPasses(const Outcome& result) {
  EXPECT_FALSE(result.timedOut) << "the check was still running after the time limit";
  EXPECT_EQ(result.status, 0) << result.err;
}

// Reports a mismatch from inside a child, where gtest's assertions do not reach.
inline int childCheck(bool ok, int code, const std::string& what) {
  if (ok) return 0;
  std::fprintf(stderr, "%s\n", what.c_str());
  return code;
}

}  // namespace cvn::test
