// The --tsv, --json and --html reports: read back against the motif file and the statistics,
// valid whatever the values, and rendered by a real browser. Failures to write them are rows of
// the whole-tool table.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "io/report_html.h"
#include "io/report_json.h"
#include "io/report_tsv.h"
#include "io/reports.h"
#include "stats/motif_evalue.h"
#include "support/records.h"
#include "support/temp_files.h"

using nlohmann::json;

namespace {

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

// The inputs of an example ("" for the DNA one, "protein/"): sequences, motifs, sites.
std::vector<std::string> inputs(const std::string &example) {
  const std::string dir = MOTIFSIG_EXAMPLES "/" + example;
  return example.empty() ? std::vector<std::string>{dir + "peaks.fa", dir + "motifs.txt", dir + "sites.tsv"}
                         : std::vector<std::string>{dir + "proteins.fa", dir + "motifs.txt", dir + "sites.tsv"};
}

// The arguments of a run of `example` with all three reports, into `dir`.
std::vector<std::string> with_reports(const TempDir &dir, const std::string &example) {
  std::vector<std::string> args = {"--tsv",  dir.path("r.tsv"),  "--json",
                                   dir.path("r.json"), "--html", dir.path("r.html")};
  for (const std::string &input : inputs(example)) args.push_back(input);
  args.push_back(dir.path("out.txt"));
  return args;
}

}  // namespace

TEST(Reports, AgreeWithTheMotifFileAndTheStatisticsAndChangeNoOutput) {
  for (const std::string example : {"", "protein/"}) {
    SCOPED_TRACE(example);
    TempDir dir;
    std::vector<std::string> in = inputs(example);
    in.push_back(dir.path("plain.txt"));
    const RunResult plain = run_tool(in), with = run_tool(with_reports(dir, example));
    ASSERT_EQ(with.status, 0) << with.err;
    EXPECT_EQ(with.out + with.err, plain.out);
    const std::string motif_file = read_file(dir.path("out.txt"));
    EXPECT_EQ(motif_file, read_file(dir.path("plain.txt")));

    // The same statistics computed here: the reports must carry them to the bit.
    TestRecords r;
    const Dataset &dataset = r.dataset;
    read_seqs(in[0].c_str(), r.dataset);
    readmodel(in[1].c_str(), r.models, r.dataset);
    read_m_seqs(in[2].c_str(), r.models);
    my_calc_evalue(r.models, r.dataset);

    std::vector<std::string> evalues;  // as the motif file writes them
    for (const auto &words : split(motif_file, '\n', ' '))
      if (words.size() > 1 && words[words.size() - 2] == "E=") evalues.push_back(words.back());
    const auto tsv = split(read_file(dir.path("r.tsv")), '\n', '\t');
    const json doc = json::parse(read_file(dir.path("r.json")));
    const std::string html = read_file(dir.path("r.html"));
    const size_t n = r.models.size();
    ASSERT_EQ(evalues.size(), n);
    ASSERT_EQ(tsv.size(), n + 1);
    ASSERT_EQ(doc["motifs"].size(), n);
    EXPECT_EQ(doc["inputs"]["sequences"], dataset.nseqs);
    for (int j = 0; j < dataset.alength; ++j)
      EXPECT_EQ(doc["inputs"]["background"][j], dataset.background[j]);
    EXPECT_TRUE(well_formed(html));
    EXPECT_EQ(count(html, "<svg class=\"logo\""), n);
    for (size_t k = 0; k < n; ++k) {
      const Model &model = r.models[k];
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
        for (int j = 0; j < dataset.alength; ++j)
          EXPECT_EQ(motif["matrix"][i][j], model.matrix[i][j]);
      }
    }
  }
}

// Values that are not finite and names that are not plain text still give a valid document
// and a well-formed page.
TEST(Reports, OddValuesAndNamesStayValid) {
  TempDir dir;
  TestRecords r;
  readmodel(dir.write("m.txt", "ALPHABET= A<\nBackground letter frequencies\nA 0.5 < 0.5\n"
                               "MOTIF <b>&x \xff\xfe\nletter-probability matrix: alength= 2 w= 1\n1 0\n")
                .c_str(),
            r.models, r.dataset);
  Model &model = r.models.at(0);
  model.log_evalue = INFINITY;
  model.info_content = NAN;
  model.col_rel_entropy[0] = NAN;
  model.col_log_pvalue[0] = -INFINITY;
  const RunOptions options;

  const json doc = json::parse(format_json_report(options, r.models, r.dataset));
  const json &motif = doc["motifs"][0];
  EXPECT_TRUE(motif["log_evalue"].is_null());
  EXPECT_TRUE(motif["info_content"].is_null());
  EXPECT_TRUE(motif["columns"][0]["log10_pvalue"].is_null());
  EXPECT_EQ(motif["evalue"], "inf");
  EXPECT_EQ(motif["id"], "<b>&x");
  EXPECT_EQ(split(format_tsv_report(r.models), '\n', '\t').at(1).at(7), "inf");

  const std::string html = format_html_report(options, r.models, r.dataset);
  EXPECT_TRUE(well_formed(html));
  EXPECT_NE(html.find("&lt;b&gt;&amp;x"), std::string::npos);
  EXPECT_FALSE(std::regex_search(html, std::regex("=\"[^\"]*(nan|inf)")));
}

TEST(Reports, HeadlessChromiumRendersTheDnaReport) {
  const std::string browser = "/usr/bin/chromium";
  if (!std::filesystem::exists(browser)) GTEST_SKIP() << "no " << browser << ": apt-get install chromium";
  TempDir dir;
  ASSERT_EQ(run_tool(with_reports(dir, "")).status, 0);
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
