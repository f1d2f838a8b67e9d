#pragma once

#include <string>
#include <vector>

#include "compare/filter_options.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace cvn::cli {

// The options of "cvn compare" as typed (bytes, not yet checked).
struct CompareOptions {
  std::string oldRoot;
  std::string newRoot;
  std::string db = "cvn.db";
  std::string lang;
  std::string comment;
  std::string begin;
  std::string end;
  std::string threshold = "10";
  std::string type = "2";
  std::string session;
  std::string format = "table";
  FilterOptions filter;
  std::vector<std::string> langFor;  // EXT=KEY
  std::vector<std::string> git;      // REPO REV1 REV2
  unsigned jobs = 0;                 // 0: one thread per core
  unsigned busyTimeout = 30;         // seconds
  std::string renames;               // empty unless --renames was given
  bool ignoreWhitespace = false;
  bool ignoreCase = false;
  bool legacy = false;
  bool sql = false;
  bool noDb = false;
  bool byFile = false;
  std::string report;
  bool quiet = false;

  // Set when the option was given, as an empty text is a valid marker.
  CLI::Option* oldOption = nullptr;
  CLI::Option* newOption = nullptr;
  CLI::Option* langOption = nullptr;
  CLI::Option* commentOption = nullptr;
  CLI::Option* beginOption = nullptr;
  CLI::Option* endOption = nullptr;
  CLI::Option* sessionOption = nullptr;
  CLI::Option* gitOption = nullptr;
  CLI::Option* renamesOption = nullptr;
  CLI::Option* dbOption = nullptr;
  CLI::Option* reportOption = nullptr;

  void addTo(CLI::App& app);
};

bool given(const CLI::Option* option);

}  // namespace cvn::cli
