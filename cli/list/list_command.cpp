#include "list/list_command.hpp"

#include <CLI/CLI.hpp>

#include "app/paths.hpp"
#include "component/corvane.hpp"
#include "output/standard_output.hpp"
#include "platform/error.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

class ListCommand final : public Command {
 public:
  std::string_view name() const override { return "list"; }
  std::string_view description() const override {
    return "List the files of a folder, optionally with a mask as its last component";
  }
  void addOptions(CLI::App& subcommand) override {
    subcommand.add_option("path", path_, "Folder, or folder/mask such as src/*.c")->required();
  }
  void run() override;

 private:
  std::string path_;
};

void ListCommand::run() {
  // Absolute, as compare passes its roots, so that a bare name is a folder and never
  // the component's invalid-argument case.
  const std::string normal = normalRoot(path_);
  if (normal.empty()) raise(kPathNotFound, "\"\"");
  Corvane lister;
  // The list form of getFileList: a name holding a carriage return stays one entry.
  const auto files = lister.listFiles(utf8ToUtf16(normal));
  if (!files) raise(kPathNotFound, normal);

  std::string out;
  for (const std::u16string& file : *files) {
    const std::string line = utf16ToUtf8(file);
    // One path per line holds only for names without line breaks.
    if (line.find_first_of("\r\n") != std::string::npos) {
      raise(kInvalidArgument, line + " cannot be listed: it holds a line break");
    }
    out += line;
    out += '\n';
  }
  writeStandardOutput(out);
}

}  // namespace

std::unique_ptr<Command> makeListCommand() {
  return std::make_unique<ListCommand>();
}

}  // namespace cvn::cli
