#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace cvn::bench {

// Seeded generators of source-like text for the benchmarks.

// A C-like file: functions with comments, blank lines and repeated braces.
inline std::vector<std::string> cLikeLines(size_t count, uint64_t seed) {
  std::mt19937_64 random(seed);
  static const char* const kTypes[] = {"int", "long", "char*", "double", "size_t", "struct node*"};
  static const char* const kVerbs[] = {"read", "write", "parse", "find", "emit", "load", "free"};
  std::vector<std::string> lines;
  lines.reserve(count);
  auto name = [&] {
    return std::string(kVerbs[random() % 7]) + "_" + std::to_string(random() % 5000);
  };
  while (lines.size() < count) {
    switch (random() % 10) {
      case 0:
        lines.push_back("/* " + name() + ": handles the " + name() + " case.");
        lines.push_back(" * Returns 0 on success. */");
        break;
      case 1:
        lines.push_back("");
        break;
      case 2:
        lines.push_back("}");
        break;
      case 3:
        lines.push_back(std::string(kTypes[random() % 6]) + " " + name() + "(" +
                        kTypes[random() % 6] + " arg) {");
        break;
      case 4:
        lines.push_back("    // " + name() + " before " + name());
        break;
      case 5:
        lines.push_back("    if (" + name() + " > " + std::to_string(random() % 100) + ") return " +
                        name() + ";");
        break;
      default:
        lines.push_back("    " + std::string(kTypes[random() % 6]) + " " + name() + " = " + name() +
                        "(" + name() + ", " + std::to_string(random() % 1000) + ");");
        break;
    }
  }
  lines.resize(count);
  return lines;
}

// Replaces one word of the line (the first identifier-like run after the indent).
inline std::string replaceOneWord(const std::string& line, std::mt19937_64& random) {
  const size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos) return line + "x";
  size_t end = start;
  while (end < line.size() && line[end] != ' ' && line[end] != '(') ++end;
  return line.substr(0, start) + "w" + std::to_string(random() % 100) + line.substr(end);
}

// An edited version: a share of lines changed by one word, a block moved,
// lines deleted and lines added.
inline std::vector<std::string> editedVersion(const std::vector<std::string>& lines, double changed,
                                              size_t movedBlock, double deleted, double added,
                                              uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> chance(0, 1);
  std::vector<std::string> edited;
  for (const std::string& line : lines) {
    const double roll = chance(random);
    if (roll < deleted) continue;
    edited.push_back(roll < deleted + changed ? replaceOneWord(line, random) : line);
    if (chance(random) < added) edited.push_back("    added_" + std::to_string(random()) + "();");
  }
  if (movedBlock > 0 && edited.size() > 2 * movedBlock) {
    const size_t from = edited.size() / 4;
    std::vector<std::string> block(edited.begin() + static_cast<long>(from),
                                   edited.begin() + static_cast<long>(from + movedBlock));
    edited.erase(edited.begin() + static_cast<long>(from),
                 edited.begin() + static_cast<long>(from + movedBlock));
    edited.insert(edited.end() - static_cast<long>(edited.size() / 5), block.begin(), block.end());
  }
  return edited;
}

// Lines "    x_<12 hex> = <16 hex>;": all of one length, nothing identical.
inline std::vector<std::string> hexAssignments(size_t count, uint64_t seed) {
  std::mt19937_64 random(seed);
  static const char kHex[] = "0123456789abcdef";
  std::vector<std::string> lines;
  lines.reserve(count);
  for (size_t k = 0; k < count; ++k) {
    std::string line = "    x_";
    for (int i = 0; i < 12; ++i) line += kHex[random() % 16];
    line += " = ";
    for (int i = 0; i < 16; ++i) line += kHex[random() % 16];
    line += ';';
    lines.push_back(std::move(line));
  }
  return lines;
}

inline std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace cvn::bench
