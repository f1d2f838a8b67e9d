#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "bounded_run.hpp"
#include "platform/utf.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {

namespace fs = std::filesystem;

// A failure of cvn: in time, status 2, nothing on stdout, one line on stderr that starts
// as expected and names the thing at fault.
inline void expectCvnFailure(const BoundedResult& result, const std::string& start,
                             const std::string& names) {
  EXPECT_FALSE(result.timedOut) << "cvn was still running after the bound";
  EXPECT_EQ(result.status, 2) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(isOneLine(result.err)) << result.err;
  EXPECT_TRUE(result.err.starts_with(start)) << "expected to start with: " << start << "\n"
                                             << result.err;
  EXPECT_NE(result.err.find(names), std::string::npos) << "not named: " << names << "\n"
                                                       << result.err;
}

inline void expectCvnSuccess(const BoundedResult& result) {
  EXPECT_FALSE(result.timedOut) << "cvn was still running after the bound";
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

// The temporary folder as the system resolves it (cvn names paths this way).
inline std::string physical(const TempDir& dir) {
  return fs::canonical(dir.path()).string();
}

// A file's bytes; "" when it cannot be read.
inline std::string bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder, to see that nothing was left behind.
inline std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

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

// Within a bounded child: the check's result (0 for success), with what it wrote.
inline void expectChildPasses(const BoundedResult& result) {
  EXPECT_FALSE(result.timedOut) << "the check was still running after the bound";
  EXPECT_EQ(result.status, 0) << result.err;
}

// Reports a mismatch from inside a child, where gtest's assertions do not reach.
inline int childCheck(bool ok, int code, const std::string& what) {
  if (ok) return 0;
  std::fprintf(stderr, "%s\n", what.c_str());
  return code;
}

}  // namespace cvn::test
