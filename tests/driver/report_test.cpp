// The --json and --html reports: read back against the statistics, valid whatever the values,
// and rendered by a real browser. The TSV report and failures to write one are in tool_cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "io/number_format.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "report/markup.h"
#include "report/report_html.h"
#include "report/report_json.h"
#include "report/report_tsv.h"
#include "report/report_values.h"
#include "stats/log_constants.h"
#include "stats/motif_evalue.h"
#include "support/records.h"
#include "support/temp_files.h"

using nlohmann::json;

namespace {

// Every element opened is closed, in order; <!...> and self-closed elements stand alone.
bool well_formed(const std::string &html) {
  std::vector<std::string> open;
  for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    const size_t end = html.find('>', at);
    if (end == std::string::npos) return false;
    const std::string tag = html.substr(at + 1, end - at - 1);
    if (tag[0] == '!' || tag[0] == '?' || tag.back() == '/') continue;
    const bool closing = tag[0] == '/';
    const std::string name = tag.substr(closing, tag.find_first_of(" \n", closing) - closing);
    if (!closing)
      open.push_back(name);
    else if (open.empty() || open.back() != name)
      return false;
    else
      open.pop_back();
  }
  return open.empty();
}

size_t count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A run of the example in `example` ("" or "protein/") with every report into `dir`.
std::vector<std::string> with_reports(const TempDir &dir, const std::string &example) {
  const std::string in = MOTIFSIG_EXAMPLES "/" + example;
  return {"--json",
          dir.path("r.json"),
          "--html",
          dir.path("r.html"),
          "--tsv",
          dir.path("r.tsv"),
          "--logos",
          dir.path("logos"),
          in + (example.empty() ? "peaks.fa" : "proteins.fa"),
          in + "motifs.txt",
          in + "sites.tsv",
          dir.path("out.txt")};
}

}  // namespace

TEST(Reports, AgreeWithTheStatisticsAndChangeNoOutput) {
  for (const std::string example : {"", "protein/"}) {
    SCOPED_TRACE(example);
    TempDir dir;
    const std::vector<std::string> args = with_reports(dir, example);
    const RunResult plain = run_tool({args.begin() + 8, args.end()});
    const std::string motif_file = read_file(args.back());
    const RunResult with = run_tool(args);
    ASSERT_EQ(with.status, 0) << with.err;
    EXPECT_EQ(with.out + with.err, plain.out);
    EXPECT_EQ(read_file(args.back()), motif_file);

    // The same statistics computed here: the reports must carry them to the bit.
    TestRecords r;
    const Dataset &d = r.dataset;
    read_seqs(args[8].c_str(), r.dataset, r.warnings);
    readmodel(args[9].c_str(), r.models, r.dataset);
    read_m_seqs(args[10].c_str(), r.models);
    my_calc_evalue(r.models, r.dataset, r.cache);
    const json doc = json::parse(read_file(dir.path("r.json")));
    const std::string html = read_file(dir.path("r.html"));
    EXPECT_TRUE(well_formed(html));
    EXPECT_EQ(count(html, "<svg class=\"logo\""), r.models.size());
    EXPECT_EQ(count(html, "<tr id=\"row-"), r.models.size());  // no script needed to read it
    ASSERT_EQ(doc["motifs"].size(), r.models.size());
    EXPECT_EQ(doc["inputs"]["sequences"], d.nseqs);
    for (int j = 0; j < d.alength; ++j) EXPECT_EQ(doc["inputs"]["background"][j], d.background[j]);
    size_t at = 0;  // in the motif file, after the E-value of the motif before
    for (size_t k = 0; k < r.models.size(); ++k) {
      const Model &model = r.models[k];
      const json &motif = doc["motifs"][k];
      at = motif_file.find(" E= ", at) + 4;
      EXPECT_EQ(motif["evalue"], motif_file.substr(at, motif_file.find('\n', at) - at));
      EXPECT_EQ(motif["id"], model.id);
      EXPECT_EQ(motif["llr"], model.llr);
      EXPECT_EQ(motif["log_evalue"], model.log_evalue);
      EXPECT_EQ(motif["log10_evalue"], model.log_evalue / LN_10);
      EXPECT_EQ(motif["info_content_uniform"], model.info_content);
      ASSERT_EQ(motif["columns"].size(), static_cast<size_t>(model.w));
      // The information of a motif is the height of its logo's stacks added up, in the JSON
      // and in the table alike; no column's p-value is above 1.
      double stacks = 0;
      for (int i = 0; i < model.w; ++i) {
        const json &column = motif["columns"][i];
        EXPECT_EQ(column["rel_entropy"], model.col_rel_entropy[i]);
        stacks += model.col_rel_entropy[i];
        EXPECT_EQ(column["llr"], model.col_llr[i]);
        EXPECT_EQ(column["log10_pvalue"], std::min(model.col_log_pvalue[i] / LN_10, 0.0));
        for (int j = 0; j < d.alength; ++j) EXPECT_EQ(motif["matrix"][i][j], model.matrix[i][j]);
      }
      EXPECT_EQ(motif["rel_entropy"], stacks);
      // Each logo is also a file of its own, the one its link on the page saves.
      const std::string svg = read_file(dir.path("logos/motif-" + std::to_string(k + 1) + ".svg"));
      EXPECT_TRUE(well_formed(svg));
      EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=", 0), 0u);
      EXPECT_NE(html.find(data_uri("image/svg+xml", svg)), std::string::npos);
    }
  }
}

// Values that are not finite and names that are not plain text still give a valid document
// and a well-formed page.
TEST(Reports, OddValuesAndNamesStayValid) {
  motifsig::Result result;
  result.alphabet = "A<";
  result.background = {0.5, 0.5};
  motifsig::MotifResult &motif = result.motifs.emplace_back();
  motif.id = "<b>&x";
  motif.alt = "\xff\xfe";
  motif.width = 1;
  motif.matrix = {{1, 0}};
  motif.columns = {{NAN, 0, -INFINITY}};
  motif.log_evalue = motif.log10_evalue = INFINITY;
  motif.info_content = NAN;
  append_evalue(motif.evalue_text, INFINITY);

  const json doc = json::parse(format_json_report(result, "", ""));
  const json &written = doc["motifs"][0];
  for (const char *key : {"log_evalue", "rel_entropy", "info_content_uniform"})
    EXPECT_TRUE(written[key].is_null()) << key;
  EXPECT_TRUE(written["columns"][0]["log10_pvalue"].is_null());
  EXPECT_EQ(written["evalue"], "inf");
  EXPECT_EQ(written["id"], "<b>&x");
  // A logo file takes the id into its name only when it is a plain file name.
  for (const char *id : {"<b>&x", "../x", ".hidden", "1"})
    EXPECT_EQ(logo_file_name(1, id), "motif-1.svg");
  EXPECT_EQ(logo_file_name(2, "CTCF_1.2"), "motif-2-CTCF_1.2.svg");
  EXPECT_NE(format_tsv_report(result.motifs).find("\tinf\tinf\n"), std::string::npos);

  const std::string html = format_html_report(result, "", "");
  EXPECT_TRUE(well_formed(html));
  EXPECT_NE(html.find("&lt;b&gt;&amp;x"), std::string::npos);
  std::smatch odd;
  EXPECT_FALSE(std::regex_search(
      html, odd,
      std::regex("\\b(x|y|width|height|d|transform|viewBox|data-sort)=\"[^\"]*(nan|inf)")))
      << odd[0];
}

TEST(Reports, HeadlessChromiumRendersTheDnaReport) {
  const std::string browser = "/usr/bin/chromium";
  if (!std::filesystem::exists(browser)) GTEST_SKIP() << "no " << browser << " (apt-get chromium)";
  TempDir dir;
  ASSERT_EQ(run_tool(with_reports(dir, "")).status, 0);
  auto render = [&](const std::string &url, const std::string &what) {
    return std::system(("timeout 120 " + browser +
                        " --headless --no-sandbox --disable-gpu "
                        "--disable-quic --no-first-run --disable-background-networking "
                        "--disable-component-update --disable-sync --hide-scrollbars "
                        "--window-size=1000,900 --user-data-dir=" +
                        dir.path("profile") + " " + what + " '" + url + "' 2>/dev/null")
                           .c_str());
  };
  ASSERT_EQ(render("file://" + dir.path("r.html"), "--dump-dom >" + dir.path("dom.html")), 0);
  const std::string dom = read_file(dir.path("dom.html"));
  EXPECT_EQ(count(dom, "<svg class=\"logo\""), 3u);
  EXPECT_GE(count(dom, "<use href=\"#glyph-"), 30u);
  EXPECT_NE(dom.find("3.70728e-26"), std::string::npos);
  // At phone width nothing sticks out of the page, logo 1 shrinks into its box, no word of the
  // command line wraps, and clicks on a heading sort the table.
  dir.write(
      "probe.html",
      "<iframe src=\"r.html\" style=\"width:420px;height:800px\"></iframe><p id=\"result\">"
      "</p><script>onload = function () {"
      "  var page = document.querySelector('iframe').contentDocument, root = page.documentElement;"
      "  var heading = page.querySelectorAll('table.motifs th')[4], result = [];"
      "  function order() { return Array.prototype.map.call("
      "    page.querySelectorAll('table.motifs tbody tr'), function (r) { return r.id; }); }"
      "  var logo = page.getElementById('logo-1').getBoundingClientRect();"
      "  var box = page.querySelector('#motif-1 .scroll').getBoundingClientRect();"
      "  var words = page.querySelectorAll('code.command span');"
      "  result.push(root.scrollWidth <= root.clientWidth, logo.right <= box.right + 0.5,"
      "    words.length > 5 && Array.prototype.every.call(words, function (w) {"
      "      return w.textContent.length > 24 || w.offsetHeight < 30; }), order());"
      "  heading.click(); result.push(order()); heading.click(); result.push(order());"
      "  document.getElementById('result').textContent = result.join(' ');"
      "};</script>");
  ASSERT_EQ(render("file://" + dir.path("probe.html"),
                   "--allow-file-access-from-files --dump-dom >" + dir.path("probe-dom.html")),
            0);
  EXPECT_NE(read_file(dir.path("probe-dom.html"))
                .find(">true true true row-1,row-2,row-3 row-1,row-3,row-2 row-2,row-3,row-1<"),
            std::string::npos)
      << read_file(dir.path("probe-dom.html"));
}

// A logo file opens on white in the converters Debian packages (a converter that shows what
// has no fill black, or drops a clipped group, left it black or without letters), and says
// what it is in its title.
TEST(Reports, LogoFilesConvertOnWhite) {
  if (std::system("test -x /usr/bin/convert -a -x /usr/bin/rsvg-convert") != 0)
    GTEST_SKIP() << "no ImageMagick or rsvg-convert (apt-get install imagemagick librsvg2-bin)";
  TempDir dir;
  ASSERT_EQ(run_tool(with_reports(dir, "")).status, 0);
  const std::string svg = dir.path("logos/motif-1.svg");
  EXPECT_NE(read_file(svg).find("<title>Sequence logo of motif 1</title>"), std::string::npos);
  // Red, green and blue summed over a corner and a point above column 1's letters, after
  // flattening on black: 6 when both are opaque white.
  const std::string white =
      " -background black -flatten -format "
      "'%[fx:p{1,1}.r+p{1,1}.g+p{1,1}.b+p{60,20}.r+p{60,20}.g+p{60,20}.b]' "
      "info: >" +
      dir.path("white");
  const std::string converters[] = {"/usr/bin/convert svg:" + svg,
                                    "/usr/bin/rsvg-convert " + svg + " | /usr/bin/convert png:-"};
  for (const std::string &command : converters) {
    ASSERT_EQ(std::system((command + white + " 2>/dev/null").c_str()), 0) << command;
    EXPECT_EQ(read_file(dir.path("white")), "6") << command;
  }
}

// The warnings of a run are in its reports too, word for word, and so is its date.
TEST(Reports, ShowTheWarningsAndDateOfTheRun) {
  TempDir dir;
  const std::string seqs = dir.write("s.fa", ">a\nACGTACGTAC\n>b\nAC\nGT\n");
  const RunResult run =
      run_tool({"--json", dir.path("r.json"), "--html", dir.path("r.html"), seqs,
                dir.write("m.txt",
                          "ALPHABET= ACGT\nx\nA 0.25 C 0.25 G 0.25 T 0.25\n"
                          "letter-probability matrix: alength= 4 w= 1\n1 0 0 0\n"),
                dir.write("sites", "h\n1\ta\n"), dir.path("out")},
               {"SOURCE_DATE_EPOCH=86399"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(read_file(dir.path("r.json")));
  EXPECT_EQ(doc["run_date"], "1970-01-01T23:59:59Z");
  ASSERT_EQ(doc["warnings"].size(), 1u);
  const json &warning = doc["warnings"][0];
  EXPECT_EQ(warning["file"], seqs);
  EXPECT_EQ(warning["line"], 3);
  const std::string message = warning["message"];
  EXPECT_EQ(run.err, "motifsig: warning: " + seqs + ":3: " + message + "\n");
  const std::string html = read_file(dir.path("r.html"));
  EXPECT_NE(html.find(":3</code>: " + escaped(message) + "</li>"), std::string::npos);
  EXPECT_NE(html.find("1970-01-01 23:59:59 UTC"), std::string::npos);
}
