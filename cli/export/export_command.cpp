#include "export/export_command.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/failure.hpp"
#include "app/numbers.hpp"
#include "app/temporary_folder.hpp"
#include "component/corvane.hpp"
#include "export/export_file.hpp"
#include "export/export_texts.hpp"
#include "export/module1.hpp"
#include "export/out_dialog.hpp"
#include "export/run_reader.hpp"
#include "export/save_dialog.hpp"
#include "output/standard_output.hpp"
#include "platform/atomic_file.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// Whether the Save dialog can ask anyone: a display for zenity, or this process's
// terminal with this process in the foreground, as the dialog itself decides.
bool dialogCanAsk() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  const FileDescriptor tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
  return tty.valid() && ::tcgetpgrp(tty.get()) == ::getpgrp();
}

class ExportCommand final : public Command {
 public:
  std::string_view name() const override { return "export"; }
  std::string_view description() const override {
    return "Write a stored session or run to a text file, asking for its path unless --out";
  }
  void addOptions(CLI::App& subcommand) override;
  void run() override;

 private:
  // True when the file was written, false when the dialog was cancelled.
  bool exportSession() const;
  bool exportRun() const;

  std::string session_;
  std::string run_;
  CLI::Option* sessionOption_ = nullptr;
  CLI::Option* runOption_ = nullptr;
  std::string db_ = "cvn.db";
  std::string out_;
  CLI::Option* outOption_ = nullptr;
};

void ExportCommand::addOptions(CLI::App& subcommand) {
  sessionOption_ =
      subcommand.add_option("--session", session_, "Session id: one language of a run");
  runOption_ =
      subcommand.add_option("--run", run_, "Run id: every language of a compare, in order")
          ->excludes(sessionOption_);
  subcommand.add_option("--db", db_,
                        "Where the results are: a SQLite file (default: cvn.db) or a PostgreSQL "
                        "database, as for compare");
  outOption_ = subcommand.add_option("--out", out_,
                                     "Write here without showing the Save dialog; an existing "
                                     "file is replaced; - is standard output");
}

// Writes the texts through the component to a path given for its Save dialog; false when
// the component did not write.
bool writeThroughComponent(const ExportTexts& texts, const std::string& target) {
  Corvane exporter;
  // The dialog function is copied when installed; the answer is shared to read it back.
  const auto answer = std::make_shared<OutDialog>(target);
  const Module1::ScopedSaveDialog dialog(
      [answer](Module1::OPENFILENAME& ofn) { return (*answer)(ofn); });
  const int16_t written =
      exporter.exportFile(texts.topheader, texts.topcontents, texts.fileheader, texts.filecontents);
  if (written == 0 && answer->pathDidNotFit()) {
    throw CommandError(fmt::format("--out: the path has {} bytes; the Save dialog takes at most {}",
                                   answer->bytes(), kSaveBufferSpaces));
  }
  return written != 0;
}

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ExportCommand::exportSession() const {
  const int32_t sessionId = parseInt32Option("--session", session_);
  const ExportTexts texts = makeExportTexts(readStoredSession(db_, sessionId));
  if (outOption_->count() == 0) {
    Corvane exporter;
    return exporter.exportFile(texts.topheader, texts.topcontents, texts.fileheader,
                               texts.filecontents) != 0;
  }
  if (out_ != "-") return writeThroughComponent(texts, out_);
  // Standard output: the component writes a file, which is then copied out.
  const TemporaryFolder folder("export");
  const std::string target = folder.path() + "/export.txt";
  if (!writeThroughComponent(texts, target)) return false;
  writeStandardOutput(readWhole(target));
  return true;
}

bool ExportCommand::exportRun() const {
  const int64_t run = parseRunIdOption("--run", run_);
  // Each language's section as the component writes it, one after another.
  std::string whole;
  {
    const TemporaryFolder folder("export");
    for (const int32_t sessionId : readRunSessions(db_, run)) {
      const std::string target = folder.path() + "/" + std::to_string(sessionId) + ".txt";
      if (!writeThroughComponent(makeExportTexts(readStoredSession(db_, sessionId)), target)) {
        return false;
      }
      whole += readWhole(target);
    }
  }
  if (outOption_->count() > 0 && out_ == "-") {
    writeStandardOutput(whole);
    return true;
  }
  std::u16string target = utf8ToUtf16(out_);
  if (outOption_->count() == 0) {
    Corvane dialog;
    std::u16string folder;
    std::u16string title(kExportTitle);
    int32_t parent = 0;
    target = dialog.SaveAFile(folder, std::u16string(kExportFilter), title, parent);
    if (target.empty()) return false;
  }
  writeFileAtomically(target, whole);
  return true;
}

void ExportCommand::run() {
  if (db_.empty()) throw CommandError("--db: the path is empty");
  const bool hasOut = outOption_->count() > 0;
  if (hasOut && out_.empty()) throw CommandError("--out: the path is empty");
  if (sessionOption_->count() == 0 && runOption_->count() == 0) {
    throw CommandError("export needs --session N or --run R");
  }
  if (!hasOut && !dialogCanAsk()) {
    throw CommandError(
        "no display for the Save dialog and no terminal to ask on: give the file with --out "
        "FILE, or --out - for standard output");
  }
  if (runOption_->count() > 0 ? exportRun() : exportSession()) return;
  // A cancel is the user's choice, not a failure: status 1, after everything is released.
  std::fputs("cvn: export cancelled, nothing written\n", stderr);
  std::exit(1);
}

}  // namespace

std::unique_ptr<Command> makeExportCommand() {
  return std::make_unique<ExportCommand>();
}

}  // namespace cvn::cli
