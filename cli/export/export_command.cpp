#include "export/export_command.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/failure.hpp"
#include "app/numbers.hpp"
#include "component/corvane.hpp"
#include "export/export_texts.hpp"
#include "export/module1.hpp"
#include "export/out_dialog.hpp"
#include "export/run_reader.hpp"
#include "export/save_dialog.hpp"

namespace cvn::cli {
namespace {

class ExportCommand final : public Command {
 public:
  std::string_view name() const override { return "export"; }
  std::string_view description() const override {
    return "Write a stored comparison run to a text file, asking for its path";
  }
  void addOptions(CLI::App& subcommand) override;
  void run() override;

 private:
  // True when the file was written, false when the dialog was cancelled.
  bool exportSession() const;

  std::string session_;
  std::string db_ = "cvn.db";
  std::string out_;
  CLI::Option* outOption_ = nullptr;
};

void ExportCommand::addOptions(CLI::App& subcommand) {
  subcommand.add_option("--session", session_, "Session id of the run, 32-bit")->required();
  subcommand.add_option("--db", db_, "SQLite file that holds the results (default: cvn.db)");
  outOption_ = subcommand.add_option(
      "--out", out_, "Write here without showing the Save dialog; an existing file is replaced");
}

bool ExportCommand::exportSession() const {
  const int32_t sessionId = parseInt32Option("--session", session_);
  if (db_.empty()) throw CommandError("--db: the path is empty");
  const bool hasOut = outOption_->count() > 0;
  if (hasOut && out_.empty()) throw CommandError("--out: the path is empty");

  const ExportTexts texts = makeExportTexts(readStoredSession(db_, sessionId));
  Corvane exporter;
  if (!hasOut) {
    return exporter.exportFile(texts.topheader, texts.topcontents, texts.fileheader,
                               texts.filecontents) != 0;
  }
  // The dialog function is copied when installed; the answer is shared to read it back.
  const auto answer = std::make_shared<OutDialog>(out_);
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

void ExportCommand::run() {
  if (exportSession()) return;
  // A cancel is the user's choice, not a failure: status 1, after everything is released.
  std::fputs("cvn: export cancelled, nothing written\n", stderr);
  std::exit(1);
}

}  // namespace

std::unique_ptr<Command> makeExportCommand() {
  return std::make_unique<ExportCommand>();
}

}  // namespace cvn::cli
