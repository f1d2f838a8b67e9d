#include "report/report_command.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>


#include "app/failure.hpp"
#include "app/numbers.hpp"
#include "output/standard_output.hpp"
#include "platform/atomic_file.hpp"
#include "platform/utf.hpp"
#include "report/html_report.hpp"
#include "report/report_data.hpp"

namespace cvn::cli {
namespace {

class ReportCommand final : public Command {
 public:
  std::string_view name() const override { return "report"; }
  std::string_view description() const override {
    return "Write a stored run as one HTML page: bars per language and a table of files";
  }
  void addOptions(CLI::App& subcommand) override {
    subcommand.add_option("--run", run_, "Run id")->required();
    subcommand.add_option("--db", db_,
                          "Where the results are: a SQLite file (default: cvn.db) or a "
                          "PostgreSQL database, as for compare");
    subcommand.add_option("-o,--out", out_, "The page's file; - is standard output")->required();
  }
  void run() override {
    const int64_t run = parseRunIdOption("--run", run_);
    if (db_.empty()) throw CommandError("--db: the path is empty");
    writeReport(db_, run, out_);
  }

 private:
  std::string run_;
  std::string db_ = "cvn.db";
  std::string out_;
};

}  // namespace

void writeReport(const std::string& database, int64_t run, const std::string& out) {
  if (out.empty()) throw CommandError("--out: the path is empty");
  const std::string page = renderHtmlReport(readReportData(database, run));
  if (out == "-") {
    writeStandardOutput(page);
  } else {
    writeFileAtomically(utf8ToUtf16(out), page);
  }
}

std::unique_ptr<Command> makeReportCommand() {
  return std::make_unique<ReportCommand>();
}

}  // namespace cvn::cli
