// The language table's choices: by file name, by "#!" line and by --lang-for.
#include <gtest/gtest.h>

#include <stdexcept>

#include "languages/language_table.hpp"

namespace cvn::test {
namespace {

std::string keyOf(std::optional<size_t> language) {
  return language ? std::string(cli::languages()[*language].key) : "-";
}

TEST(Languages, FirstLineNamesTheInterpreter) {
  for (const auto& [line, key] : std::vector<std::pair<std::string, std::string>>{
           {"#!/bin/sh -e", "shell"},
           {"#! /usr/bin/bash", "shell"},
           {"#!/usr/bin/env python3", "python"},
           {"#!/usr/bin/env -S VAR=1 python3.12 -u", "python"},
           {"#!/usr/local/bin/perl -w", "perl"},
           {"#!/usr/bin/env\truby", "ruby"},
           {"#!/usr/bin/env node", "javascript"},
           {"#!/usr/bin/pythonista", "-"},
           {"#!/usr/bin/env", "-"},
           {"#!/bin/zshx", "-"},
           {"# !/bin/sh", "-"},
           {"", "-"},
       }) {
    EXPECT_EQ(keyOf(cli::languageOfFirstLine(line)), key) << line;
  }
}

TEST(Languages, WholeNamesThenPrefixesThenOverridesThenLongestSuffix) {
  const cli::LanguageOverrides overrides = {cli::parseLanguageOverride("h=cpp"),
                                            cli::parseLanguageOverride("tar.h=sql"),
                                            cli::parseLanguageOverride("txt=yaml")};
  for (const auto& [name, key] : std::vector<std::pair<std::string, std::string>>{
           {"a.H", "cpp"},
           {"x.tar.h", "sql"},
           {"h", "-"},
           {".h", "-"},
           {"CMakeLists.txt", "cmake"},
           {"notes.txt", "yaml"},
           {"Dockerfile", "dockerfile"},
           {"dockerfile.prod.yml", "dockerfile"},
           {"Dockerfile.", "-"},
           {"base.Dockerfile", "dockerfile"},
           {"a.c", "c"},
       }) {
    EXPECT_EQ(keyOf(cli::languageOfFileName(name, overrides)), key) << name;
  }
  EXPECT_EQ(keyOf(cli::languageOfFileName("a.h")), "c");
}

TEST(Languages, OverrideIsExtEqualsKey) {
  for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
           {"h", "--lang-for: \"h\" is not EXT=KEY"},
           {"=cpp", "--lang-for: \"=cpp\" is not EXT=KEY"},
           {"h=", "--lang-for: \"h=\" is not EXT=KEY"},
           {".h=cpp", "--lang-for: \".h=cpp\" is not EXT=KEY"},
           {"a/h=cpp", "--lang-for: \"a/h=cpp\" is not EXT=KEY"},
           {"h=xyz", "--lang-for h=xyz: no language \"xyz\""},
       }) {
    try {
      cli::parseLanguageOverride(text);
      ADD_FAILURE() << text;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
  const cli::LanguageOverride parsed = cli::parseLanguageOverride("in=CPP");
  EXPECT_EQ(parsed.extension + "=" + keyOf(parsed.language), "in=cpp");
}

}  // namespace
}  // namespace cvn::test
