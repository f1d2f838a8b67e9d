#include "report/html_report.hpp"

#include <fmt/format.h>

#include <set>

namespace cvn::cli {
namespace {

constexpr std::array<std::string_view, 4> kLineKinds = {"same", "changed", "deleted", "new"};
constexpr std::array<std::string_view, 5> kFileKinds = {"unchanged", "modified", "new", "deleted",
                                                        "renamed"};
constexpr int kBarWidth = 600;

constexpr std::string_view kStyle = R"css(
body { font: 14px system-ui, sans-serif; margin: 24px; color: #222; }
h1 { font-size: 20px; } h2 { font-size: 17px; margin-top: 28px; } h3 { font-size: 15px; }
table { border-collapse: collapse; }
th, td { padding: 2px 8px; text-align: right; border-bottom: 1px solid #eee; }
.l { text-align: left; }
.same { fill: #9aa9b8; background: #9aa9b8; } .changed { fill: #e9a23b; background: #e9a23b; }
.deleted { fill: #d9534f; background: #d9534f; } .new { fill: #5cb85c; background: #5cb85c; }
.key span { display: inline-block; width: 10px; height: 10px; margin: 0 4px 0 12px; }
svg { display: block; margin: 2px 0 8px; }
)css";

// Filters the file table by language and status; without it every file shows.
constexpr std::string_view kScript = R"js(
(function () {
  var rows = document.querySelectorAll('#files tbody tr');
  var language = document.getElementById('f-language');
  var status = document.getElementById('f-status');
  function apply() {
    rows.forEach(function (row) {
      row.hidden = (language.value && row.dataset.language !== language.value) ||
                   (status.value && row.dataset.status !== status.value);
    });
  }
  language.addEventListener('change', apply);
  status.addEventListener('change', apply);
  document.getElementById('filters').hidden = false;
})();
)js";

std::string bar(std::string_view label, const LineCounts& counts) {
  int64_t total = 0;
  for (const int64_t count : counts) total += count;
  std::string svg = fmt::format(
      "<svg width=\"{}\" height=\"18\" role=\"img\" aria-label=\"{}: same {}, changed {}, "
      "deleted {}, new {}\">",
      kBarWidth, label, counts[0], counts[1], counts[2], counts[3]);
  double x = 0;
  for (size_t k = 0; k < counts.size() && total > 0; ++k) {
    const double width = static_cast<double>(kBarWidth) * static_cast<double>(counts[k]) /
                         static_cast<double>(total);
    svg += fmt::format(
        "<rect class=\"{0}\" x=\"{1:.1f}\" y=\"0\" width=\"{2:.1f}\" height=\"18\">"
        "<title>{0}: {3}</title></rect>",
        kLineKinds[k], x, width, counts[k]);
    x += width;
  }
  return svg + "</svg>";
}

std::string lineCells(const LineCounts& counts) {
  std::string cells;
  for (const int64_t count : counts) cells += fmt::format("<td>{}</td>", count);
  return cells;
}

std::string options(const std::set<std::string>& values) {
  std::string out = "<option value=\"\">all</option>";
  for (const std::string& value : values) {
    out += fmt::format("<option>{}</option>", escapeHtml(value));
  }
  return out;
}

}  // namespace

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string renderHtmlReport(const ReportData& data) {
  std::string page = fmt::format(
      "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<title>CVN run {0}</title><style>{1}</style></head><body>\n<h1>CVN run {0}</h1>\n"
      "<table class=\"head\">",
      data.run, kStyle);
  const auto headRow = [&page](std::string_view name, const std::string& value) {
    if (!value.empty()) {
      page += fmt::format("<tr><th class=\"l\">{}</th><td class=\"l\">{}</td></tr>", name,
                          escapeHtml(value));
    }
  };
  if (!data.gitRepo.empty()) {
    headRow("repository", data.gitRepo);
    headRow("old", data.oldRevision + (data.oldCommit.empty() ? "" : " (" + data.oldCommit + ")"));
    headRow("new", data.newRevision + (data.newCommit.empty() ? "" : " (" + data.newCommit + ")"));
  } else {
    headRow("old", data.oldRoot);
    headRow("new", data.newRoot);
  }
  headRow("comparer", data.comparer);
  headRow("compare type", data.compareType);
  headRow("threshold", data.threshold);
  headRow("started", data.started);
  page += "</table>\n<h2>Languages</h2>\n<p class=\"key\">";
  for (const std::string_view kind : kLineKinds) {
    page += fmt::format("<span class=\"{0}\"></span>{0}", kind);
  }
  page += "</p>\n";

  LineCounts code{}, comment{};
  std::array<int64_t, 5> files{};
  for (const ReportLanguage& language : data.languages) {
    page +=
        fmt::format("<section><h3>{} <small>(session {})</small></h3><p>files:",
                    escapeHtml(language.language.empty() ? "custom markers" : language.language),
                    language.session);
    for (size_t k = 0; k < kFileKinds.size(); ++k) {
      if (k < 4 || language.files[k] > 0) {
        page += fmt::format(" {} {}", kFileKinds[k], language.files[k]);
      }
      files[k] += language.files[k];
    }
    page += "</p>code lines" + bar("code lines", language.code) + "comment lines" +
            bar("comment lines", language.comment) + "</section>\n";
    for (size_t k = 0; k < 4; ++k) {
      code[k] += language.code[k];
      comment[k] += language.comment[k];
    }
  }

  page += "<h2>Totals</h2>\n<table id=\"totals\"><tr><th></th>";
  for (const std::string_view kind : kLineKinds) page += fmt::format("<th>{}</th>", kind);
  page += "</tr>";
  for (const auto& [name, counts] : {std::pair{"code", code}, std::pair{"comment", comment}}) {
    page += fmt::format("<tr><th class=\"l\">{} lines</th>", name);
    for (size_t k = 0; k < 4; ++k) {
      page += fmt::format("<td id=\"total-{}-{}\">{}</td>", name, kLineKinds[k], counts[k]);
    }
    page += "</tr>";
  }
  page += "</table>\n<p>files:";
  for (size_t k = 0; k < kFileKinds.size(); ++k) {
    page += fmt::format(" {0} <span id=\"total-files-{0}\">{1}</span>", kFileKinds[k], files[k]);
  }
  page += "</p>\n";

  std::set<std::string> languages, statuses;
  for (const ReportFile& file : data.files) {
    languages.insert(file.language);
    statuses.insert(file.status);
  }
  page += fmt::format(
      "<h2>Files</h2>\n<p id=\"filters\" hidden>language <select id=\"f-language\">{}</select> "
      "status <select id=\"f-status\">{}</select></p>\n<table id=\"files\"><thead><tr>"
      "<th class=\"l\">path</th><th class=\"l\">language</th><th class=\"l\">status</th>"
      "<th>code same</th><th>changed</th><th>deleted</th><th>new</th>"
      "<th>comment same</th><th>changed</th><th>deleted</th><th>new</th>"
      "<th>blank old</th><th>new</th></tr></thead><tbody>\n",
      options(languages), options(statuses));
  for (const ReportFile& file : data.files) {
    const std::string path = file.oldPath.empty()
                                 ? escapeHtml(file.path)
                                 : escapeHtml(file.oldPath) + " &rarr; " + escapeHtml(file.path);
    page += fmt::format(
        "<tr data-language=\"{0}\" data-status=\"{1}\"><td class=\"l\">{2}</td>"
        "<td class=\"l\">{0}</td><td class=\"l\">{1}</td>{3}{4}<td>{5}</td><td>{6}</td></tr>\n",
        escapeHtml(file.language), escapeHtml(file.status), path, lineCells(file.code),
        lineCells(file.comment), file.blankOld, file.blankNew);
  }
  page += fmt::format("</tbody></table>\n<script>{}</script>\n</body></html>\n", kScript);
  return page;
}

}  // namespace cvn::cli
