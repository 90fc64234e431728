// The --tsv, --json and --html reports: read back against the motif file and the statistics,
// valid whatever the values, rendered by a real browser, written completely or not at all.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "io/report_html.h"
#include "io/report_json.h"
#include "io/report_tsv.h"
#include "io/reports.h"
#include "stats/llr_pvalue.h"
#include "stats/motif_evalue.h"
#include "support/temp_files.h"

using nlohmann::json;

namespace {

const std::string kExamples = MOTIFSIG_EXAMPLES;

struct Example {
  std::string sequences, motifs, sites;
};
const Example kDna{kExamples + "/peaks.fa", kExamples + "/motifs.txt", kExamples + "/sites.tsv"};
const Example kProtein{kExamples + "/protein/proteins.fa", kExamples + "/protein/motifs.txt",
                       kExamples + "/protein/sites.tsv"};

std::vector<std::vector<std::string>> split(const std::string &text, char line_end, char field_end) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line, field; std::getline(lines, line, line_end);) {
    std::istringstream fields(line);
    rows.emplace_back();
    while (std::getline(fields, field, field_end)) rows.back().push_back(field);
  }
  return rows;
}

// The E-value texts of a motif file, in motif order.
std::vector<std::string> evalues_of(const std::string &motif_file) {
  std::vector<std::string> evalues;
  for (const auto &words : split(motif_file, '\n', ' '))
    if (words.size() > 1 && words[words.size() - 2] == "E=") evalues.push_back(words.back());
  return evalues;
}

// Every element opened is closed, in order; <!...> and self-closed elements stand alone.
bool well_formed(const std::string &html) {
  std::vector<std::string> open;
  for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    const size_t end = html.find('>', at);
    if (end == std::string::npos) return false;
    const std::string tag = html.substr(at + 1, end - at - 1);
    if (tag[0] == '!' || tag.back() == '/') continue;
    const bool closing = tag[0] == '/';
    const std::string name = tag.substr(closing, tag.find_first_of(" \n", closing) - closing);
    if (!closing) open.push_back(name);
    else if (open.empty() || open.back() != name) return false;
    else open.pop_back();
  }
  return open.empty();
}

size_t count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::vector<std::string> run_reports(const TempDir &dir, const Example &example) {
  return {"--tsv", dir.path("r.tsv"), "--json", dir.path("r.json"), "--html", dir.path("r.html"),
          example.sequences, example.motifs, example.sites, dir.path("out.txt")};
}

}  // namespace

TEST(Reports, AgreeWithTheMotifFileAndTheStatisticsAndChangeNoOutput) {
  for (const Example &example : {kDna, kProtein}) {
    SCOPED_TRACE(example.motifs);
    TempDir dir;
    RunResult plain = run_tool({example.sequences, example.motifs, example.sites, dir.path("plain.txt")});
    RunResult with = run_tool(run_reports(dir, example));
    ASSERT_EQ(with.status, 0) << with.err;
    EXPECT_EQ(with.out, plain.out);
    EXPECT_EQ(with.err, "");
    const std::string motif_file = read_file(dir.path("out.txt"));
    EXPECT_EQ(motif_file, read_file(dir.path("plain.txt")));

    // The same statistics computed here: the reports must carry them to the bit.
    Dataset dataset;
    std::vector<Model> models;
    read_seqs(example.sequences.c_str(), dataset);
    readmodel(example.motifs.c_str(), models, dataset);
    read_m_seqs(example.sites.c_str(), models);
    my_calc_evalue(models, dataset);

    const std::vector<std::string> evalues = evalues_of(motif_file);
    const auto tsv = split(read_file(dir.path("r.tsv")), '\n', '\t');
    const json doc = json::parse(read_file(dir.path("r.json")));
    const std::string html = read_file(dir.path("r.html"));
    ASSERT_EQ(evalues.size(), models.size());
    ASSERT_EQ(tsv.size(), models.size() + 1);
    ASSERT_EQ(doc["motifs"].size(), models.size());
    EXPECT_EQ(doc["inputs"]["sequences"], dataset.nseqs);
    for (int j = 0; j < dataset.alength; ++j) EXPECT_EQ(doc["inputs"]["background"][j], dataset.background[j]);
    EXPECT_TRUE(well_formed(html));
    EXPECT_EQ(count(html, "<svg class=\"logo\""), models.size());
    for (size_t k = 0; k < models.size(); ++k) {
      const Model &model = models[k];
      const std::vector<std::string> &row = tsv[k + 1];
      const json &motif = doc["motifs"][k];
      ASSERT_EQ(row.size(), 9u);
      EXPECT_EQ(row[1], model.id);
      EXPECT_EQ(row[8], evalues[k]);
      EXPECT_EQ(motif["evalue"], evalues[k]);
      EXPECT_EQ(std::stod(row[5]), model.llr);
      EXPECT_EQ(std::stod(row[7]), model.log_evalue / kLn10);
      EXPECT_EQ(motif["log_evalue"], model.log_evalue);
      EXPECT_EQ(motif["info_content"], model.info_content);
      ASSERT_EQ(motif["columns"].size(), static_cast<size_t>(model.w));
      for (int i = 0; i < model.w; ++i) {
        const json &column = motif["columns"][i];
        EXPECT_EQ(column["rel_entropy"], model.col_rel_entropy[i]);
        EXPECT_EQ(column["llr"], model.col_llr[i]);
        EXPECT_EQ(column["log10_pvalue"], model.col_log_pvalue[i] / kLn10);
        for (int j = 0; j < dataset.alength; ++j) EXPECT_EQ(motif["matrix"][i][j], model.matrix[i][j]);
      }
    }
    freestuff();
    release_records(dataset, models);
  }
}

// Values that are not finite and names that are not plain text still give a valid document
// and a well-formed page.
TEST(Reports, OddValuesAndNamesStayValid) {
  TempDir dir;
  Dataset dataset;
  std::vector<Model> models;
  readmodel(dir.write("m.txt", "ALPHABET= A<\nBackground letter frequencies\nA 0.5 < 0.5\n"
                               "MOTIF <b>&x \xff\xfe\nletter-probability matrix: alength= 2 w= 1\n1 0\n")
                .c_str(),
            models, dataset);
  Model &model = models.at(0);
  model.log_evalue = INFINITY;
  model.info_content = NAN;
  model.col_rel_entropy[0] = NAN;
  model.col_log_pvalue[0] = -INFINITY;
  RunOptions options;

  const json doc = json::parse(format_json_report(options, models, dataset));
  const json &motif = doc["motifs"][0];
  EXPECT_TRUE(motif["log_evalue"].is_null());
  EXPECT_TRUE(motif["info_content"].is_null());
  EXPECT_TRUE(motif["columns"][0]["log10_pvalue"].is_null());
  EXPECT_EQ(motif["evalue"], "inf");
  EXPECT_EQ(motif["id"], "<b>&x");
  EXPECT_EQ(split(format_tsv_report(models), '\n', '\t').at(1).at(7), "inf");

  const std::string html = format_html_report(options, models, dataset);
  EXPECT_TRUE(well_formed(html));
  EXPECT_NE(html.find("&lt;b&gt;&amp;x"), std::string::npos);
  EXPECT_FALSE(std::regex_search(html, std::regex("=\"[^\"]*(nan|inf)")));
  release_records(dataset, models);
}

TEST(Reports, HeadlessChromiumRendersTheDnaReport) {
  const std::string browser = "/usr/bin/chromium";
  if (!std::filesystem::exists(browser)) GTEST_SKIP() << "no browser at " << browser << ": install the chromium package";
  TempDir dir;
  ASSERT_EQ(run_tool(run_reports(dir, kDna)).status, 0);
  int runs = 0;
  auto render = [&](const std::string &url, const std::string &what) {
    const std::string command =
        "timeout 120 " + browser + " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync --hide-scrollbars "
        "--window-size=1000,900 --user-data-dir=" + dir.path("profile" + std::to_string(++runs)) + " " + what +
        " '" + url + "' 2>/dev/null";
    return std::system(command.c_str());
  };
  ASSERT_EQ(render("file://" + dir.path("r.html"), "--dump-dom >" + dir.path("dom.html")), 0);
  const std::string dom = read_file(dir.path("dom.html"));
  EXPECT_EQ(count(dom, "<svg class=\"logo\""), 3u);
  EXPECT_GE(count(dom, "<use href=\"#glyph-"), 30u);
  EXPECT_NE(dom.find("3.70728e-26"), std::string::npos);
  // A page with logos draws far more than a blank page does.
  ASSERT_EQ(render("file://" + dir.path("r.html"), "--screenshot=" + dir.path("report.png")), 0);
  ASSERT_EQ(render("about:blank", "--screenshot=" + dir.path("blank.png")), 0);
  EXPECT_GT(read_file(dir.path("report.png")).size(), 5 * read_file(dir.path("blank.png")).size());
}

// A report that cannot be written, or that would replace another output, ends the run before
// the motif file is replaced.
TEST(Reports, AReportThatCannotBeWrittenStopsTheRunAndLeavesNoFile) {
  TempDir dir;
  const std::string output = dir.path("out.txt"), missing = dir.path("missing/report");
  const std::pair<const char *, std::string> cases[] = {
      {"--tsv", missing}, {"--json", missing}, {"--html", missing}, {"--json", output}};
  for (const auto &[option, report] : cases) {
    SCOPED_TRACE(option + (" " + report));
    dir.write("out.txt", "earlier result\n");
    RunResult r = run_tool({option, report, kDna.sequences, kDna.motifs, kDna.sites, output});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("motifsig: " + report + ": "), 0u) << r.err;
    EXPECT_EQ(count(r.err, "\n"), 1u) << r.err;
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(read_file(output), "earlier result\n");
  }
}
