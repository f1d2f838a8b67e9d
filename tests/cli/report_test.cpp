// cvn report, drawn by a real browser: headless Chromium loads the page of a run, runs its
// script without an error, and shows the totals the database holds.
#include "cli_test.hpp"

namespace cvn::test {
namespace {

// The number in the element of that id on the page.
std::string numberWithId(const std::string& page, const std::string& id) {
  const std::string start = "id=\"" + id + "\">";
  const size_t at = page.find(start);
  if (at == std::string::npos) return "missing " + id;
  return page.substr(at + start.size(), page.find('<', at) - at - start.size());
}

TEST(Report, ChromiumShowsTheTotalsOfTheDatabase) {
  TempDir dir;
  writeTree(dir);
  dir.write("new/<script>.c", "int s;\n");
  dir.write("new/x&lt;y.c", "int t;\n");  // shown as typed, not as "<"
  const Outcome compared =
      runCvn({"compare", "old", "new", "--db", "r.db", "--report", "r.html"}, {.cwd = dir.path()});
  ASSERT_EQ(compared.status, 0) << compared.err;
  const std::string page = dir.path() / "r.html";
  const Outcome browser = run(
      {"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--enable-logging=stderr",
       "--screenshot=" + page + ".png", "--window-size=1100,1300", "--dump-dom", "file://" + page},
      {.cwd = dir.path()});
  ASSERT_EQ(browser.status, 0) << browser.err;
  EXPECT_EQ(browser.err.find("CONSOLE"), std::string::npos) << browser.err;
  EXPECT_EQ(browser.err.find("Uncaught"), std::string::npos) << browser.err;
  EXPECT_GT(fs::file_size(page + ".png"), 1000u);
  const std::string& dom = browser.out;
  EXPECT_EQ(dom.find("id=\"filters\" hidden"), std::string::npos) << "the script did not run";
  EXPECT_NE(dom.find("<td class=\"l\">&lt;script&gt;.c</td><td class=\"l\">c</td>"),
            std::string::npos);
  EXPECT_EQ(dom.find("<script>.c"), std::string::npos);
  EXPECT_NE(dom.find(">x&amp;lt;y.c<"), std::string::npos);
  EXPECT_NE(dom.find("comparer</th><td class=\"l\">current<"), std::string::npos);
  EXPECT_NE(dom.find("files: unchanged 0 modified 1 new 3 deleted 1<"), std::string::npos);

  const fs::path db = dir.path() / "r.db";
  for (const char* kind : {"code", "comment"}) {
    const std::string suffix = std::string(kind) == "code" ? "code" : "comments";
    EXPECT_EQ(numberWithId(dom, std::string("total-") + kind + "-same") + "|" +
                  numberWithId(dom, std::string("total-") + kind + "-changed") + "|" +
                  numberWithId(dom, std::string("total-") + kind + "-deleted") + "|" +
                  numberWithId(dom, std::string("total-") + kind + "-new") + "\n",
              sqlite(db, "SELECT SUM(samelines_" + suffix + "), SUM(changedlines_" + suffix +
                             "), SUM(deletedlines_" + suffix + "), SUM(newlines_" + suffix +
                             ") FROM file_compare_results"))
        << kind;
  }
  EXPECT_EQ(numberWithId(dom, "total-files-unchanged") + "|" +
                numberWithId(dom, "total-files-modified") + "|" +
                numberWithId(dom, "total-files-new") + "|" +
                numberWithId(dom, "total-files-deleted") + "\n",
            sqlite(db,
                   "SELECT SUM(status = 'unchanged'), SUM(status = 'modified'), "
                   "SUM(status = 'new'), SUM(status = 'deleted') FROM cvn_files"));

  // The command alone, and its refusals.
  ASSERT_EQ(runCvn({"report", "--run", "1", "--db", "r.db", "-o", "-"}, {.cwd = dir.path()}).out,
            readBytes(page));
  expectFailure(
      runCvn({"report", "--run", "2", "--db", "r.db", "-o", "x.html"}, {.cwd = dir.path()}),
      "cvn: run 2 not found", "r.db");
  expectFailure(
      runCvn({"compare", "old", "new", "--no-db", "--report", "x.html"}, {.cwd = dir.path()}),
      "cvn: --report ", "database");
}

}  // namespace
}  // namespace cvn::test
