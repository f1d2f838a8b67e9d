#pragma once

// What the suites of the cvn command share: its failures, file bytes and SQLite rows.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {

namespace fs = std::filesystem;

// A failure: status 2, nothing on stdout, one line on stderr that starts as given and names
// what is at fault.
inline void expectFailure(const Outcome& result, const std::string& start, const std::string& names,
                          int status = 2) {
  EXPECT_EQ(result.status, status) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  EXPECT_TRUE(result.err.starts_with(start)) << start << " / " << result.err;
  EXPECT_NE(result.err.find(names), std::string::npos) << names << " / " << result.err;
}

inline std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// C (a.c changed, gone.c deleted, b.c new), Python (tool.py changed), make (Makefile the same)
// and a file of no known language (notes.txt, new).
inline void writeTree(const TempDir& dir) {
  dir.write("old/a.c", "// add\nint add(int a, int b) {\n\n  return a + b;\n}\n");
  dir.write("new/a.c", "// add\nint add(int a, int b) {\n\n  return b + a;\n}\n");
  dir.write("old/gone.c", "int x;\n");
  dir.write("new/b.c", "/* new */\nint y;\n");
  dir.write("old/tool.py", "# a tool\nprint('x')\n");
  dir.write("new/tool.py", "# a tool\nprint('y')\n");
  dir.write("old/Makefile", "# build\nall:\n\tcc a.c\n");
  dir.write("new/Makefile", "# build\nall:\n\tcc a.c\n");
  dir.write("new/notes.txt", "notes\n");
}

// Runs SQL on a SQLite file (made when missing); the rows it gives, a line each, their cells
// joined by "|", NULL as "NULL" (the form of psql's unaligned output).
inline std::string sqlite(const fs::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string rows;
  const auto collect = [](void* to, int n, char** values, char**) {
    std::string& text = *static_cast<std::string*>(to);
    for (int k = 0; k < n; ++k)
      text.append(k > 0 ? "|" : "").append(values[k] ? values[k] : "NULL");
    text += "\n";
    return 0;
  };
  const bool ok = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, sql.c_str(), collect, &rows, nullptr) == SQLITE_OK;
  const std::string message = sqlite3_errmsg(db);
  sqlite3_close(db);
  if (!ok) throw std::runtime_error(sql + ": " + message);
  return rows;
}

}  // namespace cvn::test
