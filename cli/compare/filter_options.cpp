#include "compare/filter_options.hpp"

#include <CLI/CLI.hpp>

namespace cvn::cli {
namespace {

std::vector<std::string> normal(const std::vector<std::string>& typed) {
  std::vector<std::string> patterns;
  for (const std::string& pattern : typed) patterns.push_back(normalPattern(pattern));
  return patterns;
}

}  // namespace

CLI::Option* FilterOptions::addTo(CLI::App& app) {
  // One value per occurrence, so that the folders after it stay positional.
  app.add_option("--match", match,
                 "Keep only files that match: a glob on the name, or on the path below the root "
                 "when it holds a \"/\" (case ignored; repeat or separate with commas)")
      ->allow_extra_args(false)
      ->delimiter(',')
      ->option_text("GLOB[,GLOB]");
  app.add_option("--exclude", exclude, "Leave out files that match, as --match matches")
      ->allow_extra_args(false)
      ->delimiter(',')
      ->option_text("GLOB[,GLOB]");
  app.add_option("--exclude-dir", excludeDirs,
                 "Do not open folders that match: a name or glob at any depth (vendor, third_*), "
                 "or a path below the root (deps/jemalloc)")
      ->allow_extra_args(false)
      ->delimiter(',')
      ->option_text("DIR[,DIR]");
  app.add_flag("--include-vcs", includeVcs,
               "Also read the folders of version control (.git, .hg, .svn, .bzr, _darcs), "
               "skipped otherwise");
  return app.add_flag("--gitignore", gitignore,
                      "Leave out what git ignores in each folder (.gitignore and the exclude "
                      "files), as git itself decides; needs git");
}

FileFilter FilterOptions::filter() const {
  return {normal(match), normal(exclude), normal(excludeDirs), includeVcs, gitignore};
}

}  // namespace cvn::cli
