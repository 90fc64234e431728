// Whole runs of the built tool, one row per case: command, input files, exit status, standard
// error, standard output and the output file. Bad input or failed output: one line naming the
// file (and line), exit status 1, and the output file left exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

const char kSeqs[] = ">a\nACGTACGTAC\n>b\nACGTACGT\n>c\nACGTA\n";
const char kMotifs[] =
    "ALPHABET= ACGT\nBackground letter frequencies\nA 0.3 C 0.3 G 0.3 T 0.3\n\n"
    "MOTIF 1\nletter-probability matrix: alength= 4 w= 2 nsites= 0 E= 0\n"
    "0.7 0.1 0.1 0.1\n0.1 0.1 0.1 0.7\n\n"
    "MOTIF 2\nletter-probability matrix: alength= 4 w= 1 nsites= 0 E= 0\n0.25 0.25 0.25 0.25\n";
const char kSites[] = "header\n1\ta\n1\tb\n2\tc\n";
const char kEarlier[] = "an earlier result\n";
const char kSteps[] =
    "reading original data file...\nreading models...\nreading motif sequences...\n"
    "calculating evalues...\n";
const std::map<std::string, std::string> kDefaults = {
    {"seqs", kSeqs}, {"motifs", kMotifs}, {"sites", kSites}};
const std::vector<std::string> kFiles = {"{seqs}", "{motifs}", "{sites}", "{out}"};

std::string motifs_with(const std::string &tail) {
  return "ALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n" + tail;
}
std::string matrix(const std::string &w, const std::string &rows = "") {
  return motifs_with("letter-probability matrix: alength= 4 w= " + w + "\n" + rows);
}

std::string packed_sequences() {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += ">s\nACGTTGCAAGCT" + std::to_string(i) + "\n";
  return gzip_bytes(text);
}
const std::string kPacked = packed_sequences();
std::string corrupted(std::string bytes) {
  for (size_t i = 20; i + 10 < bytes.size(); i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
  return bytes;
}

struct ToolCase {
  std::string name;
  std::vector<std::string> args;  // {seqs} {motifs} {sites} {out} {dir}: paths in the scratch dir
  std::map<std::string, std::string> files;  // seqs, motifs, sites in place of the ones above;
                                             // "examples:NAME" reads examples/NAME
  int status;
  std::string err;     // '*' stands for any text
  std::string out;     // standard output, '*' as above
  std::string output;  // the output file afterwards; "data:NAME" is tests/data/NAME
  std::vector<std::string> env = {};
  bool gzip = false;  // the three inputs written gzip-compressed
};

ToolCase rejected(const std::string &name, const std::string &file, const std::string &content,
                  const std::string &err) {
  return {name, kFiles, {{file, content}}, 1, err, "*", kEarlier};
}

const std::map<std::string, std::string> kExample = {
    {"seqs", "examples:peaks.fa"}, {"motifs", "examples:motifs.txt"}, {"sites", "examples:sites.tsv"}};

const ToolCase kCases[] = {
    {"TwoMotifs", {"{seqs}", "{motifs}", "{sites}", "{out}", "ignored", "extra"}, {}, 0, "",
     std::string(kSteps) + "calculating evalue for motif 1\ncalculating evalue for motif 2\n",
     // The background is rescaled to sum 1. Motif 2 has one site: its E-value is the 10
     // positions of the longest sequence times the 3 sequences it may lie in.
     "VORL version 4\n\nALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25 \n\n"
     "MOTIF 1\nletter-probability matrix: alength= 4 w= 2 nsites= 2 E= 1.89e2\n"
     "  0.7  0.1  0.1  0.1\n  0.1  0.1  0.1  0.7\n\n\n"
     "MOTIF 2\nletter-probability matrix: alength= 4 w= 1 nsites= 1 E= 3e1\n  0.25  0.25  0.25  0.25\n\n\n"},
    {"NoMotifsWritesTheHeaderOnly", kFiles,
     {{"seqs", ""}, {"sites", ""}, {"motifs", "ALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7\n"}}, 0,
     "", kSteps, "VORL version 4\n\nALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7 \n\n"},
    {"DnaExample", kFiles, kExample, 0, "", "*", "data:example_output.txt"},
    {"ProteinExample", kFiles,
     {{"seqs", "examples:protein/proteins.fa"}, {"motifs", "examples:protein/motifs.txt"},
      {"sites", "examples:protein/sites.tsv"}}, 0, "", "*", "data:protein_output.txt"},
    {"CompressedInputs", kFiles, kExample, 0, "", "*", "data:example_output.txt", {}, true},
    {"GermanLocale", kFiles, kExample, 0, "", "*", "data:example_output.txt",
     {"LOCPATH={locales}", "LC_ALL=de_DE.UTF-8"}},

    {"Usage", {"a", "b", "c"}, {}, 2, "motifsig: expected 4 file names, got 3\n*", "", kEarlier},
    {"ShortHelp", {"-h"}, {}, 0, "", "Usage: motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT*", kEarlier},
    {"LongHelp", {"--help"}, {}, 0, "", "Usage: motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT*", kEarlier},
    {"Version", {"--version"}, {}, 0, "", "motifsig 1.*", kEarlier},

    {"MissingSequences", {"{dir}/missing", "{motifs}", "{sites}", "{out}"}, {}, 1,
     "motifsig: {dir}/missing: cannot open file: No such file or directory\n", "*", kEarlier},
    {"MissingMotifs", {"{seqs}", "{dir}/missing", "{sites}", "{out}"}, {}, 1,
     "motifsig: {dir}/missing: cannot open file: No such file or directory\n", "*", kEarlier},
    {"MissingSites", {"{seqs}", "{motifs}", "{dir}/missing", "{out}"}, {}, 1,
     "motifsig: {dir}/missing: cannot open file: No such file or directory\n", "*", kEarlier},
    {"DirectoryAsInput", {"{dir}", "{motifs}", "{sites}", "{out}"}, {}, 1,
     "motifsig: {dir}: is a directory, not a file\n", "*", kEarlier},
    {"OutputDirectoryMissing", {"{seqs}", "{motifs}", "{sites}", "{dir}/no/out.txt"}, {}, 1,
     "motifsig: {dir}/no/out.txt: cannot create the output file*", "*", kEarlier},
    {"OutputDeviceFull", {"{seqs}", "{motifs}", "{sites}", "/dev/full"}, {}, 1,
     "motifsig: /dev/full: cannot write the output*", "*", kEarlier},

    rejected("NoAlphabet", "motifs", "MOTIF 1\nnothing here\n", "motifsig: {motifs}: no ALPHABET line*"),
    rejected("MatrixBeforeAlphabet", "motifs", "letter-probability matrix: alength= 4 w= 1\n0.25 0.25 0.25 0.25\n",
             "motifsig: {motifs}:1: *comes before any ALPHABET line*"),
    rejected("EmptyAlphabet", "motifs", "\nALPHABET=\nx\nA 1\n", "motifsig: {motifs}:2: *no letters*"),
    rejected("EndsInAlphabetBlock", "motifs", "ALPHABET= ACGT\nBackground letter frequencies\n",
             "motifsig: {motifs}:2: *ends inside the alphabet block*"),
    rejected("EndsInMatrix", "motifs", matrix("2", "0.25 0.25 0.25 0.25\n"),
             "motifsig: {motifs}:5: *ends inside a matrix*"),
    rejected("SecondAlphabetOfOtherSize", "motifs", motifs_with("ALPHABET= ACG\nx\nA 0.3 C 0.3 G 0.4\n"),
             "motifsig: {motifs}:4: *has 3 letters but the first alphabet in the file has 4*"),
    rejected("ShortBackground", "motifs", "ALPHABET= ACGT\nx\nA 0.25 C 0.25 G 0.25\n",
             "motifsig: {motifs}:3: *gives 3 of the 4*"),
    rejected("TrailingLetterInNumber", "motifs", "ALPHABET= ACGT\nx\nA 0.25 C 0.25C G 0.25 T 0.25\n",
             "motifsig: {motifs}:3: *'0.25C' is not a number*"),
    rejected("NanBackground", "motifs", "ALPHABET= ACGT\nx\nA 0.25 C nan G 0.25 T 0.25\n",
             "motifsig: {motifs}:3: *'nan' is not a number*"),
    rejected("NegativeBackground", "motifs", "ALPHABET= ACGT\nx\nA 0.25 C -0.25 G 0.25 T 0.25\n",
             "motifsig: {motifs}:3: *is negative*"),
    rejected("FractionalWidth", "motifs", matrix("2.5"), "motifsig: {motifs}:4: *width of motif 1, '2.5'*"),
    rejected("NegativeWidth", "motifs", matrix("-1"), "motifsig: {motifs}:4: *width of motif 1, '-1'*"),
    rejected("NoWidth", "motifs", motifs_with("letter-probability matrix: alength= 4 w=\n"),
             "motifsig: {motifs}:4: *gives no width*"),
    rejected("TooWide", "motifs", matrix("301"),
             "motifsig: {motifs}:4: *motif 1 is 301 columns wide; the limit is 300*"),
    rejected("EmptyRow", "motifs", matrix("2", "0.25 0.25 0.25 0.25\n\n"),
             "motifsig: {motifs}:6: *row 2 of motif 1 has 0 of the 4*"),
    rejected("OverflowingProbability", "motifs", matrix("1", "0.25 0.25 1e999 0.25\n"),
             "motifsig: {motifs}:5: *'1e999' is not a number*"),
    rejected("InfiniteProbability", "motifs", matrix("1", "0.25 inf 0.25 0.25\n"),
             "motifsig: {motifs}:5: *'inf' is not a number*"),

    rejected("SiteWithoutNumber", "sites", "header\n1\ta\nfirst\tb\n",
             "motifsig: {sites}:3: *does not begin with a motif number*"),
    rejected("BlankSiteLine", "sites", "header\n1\ta\n   \n", "motifsig: {sites}:3: *does not begin with a motif number*"),
    rejected("SiteOfMotifAfterTheLast", "sites", "header\n3\ta\n",
             "motifsig: {sites}:2: *site of motif 3, but motifs are numbered 1 to 2*"),
    rejected("SiteOfMotifZero", "sites", "header\n0\ta\n", "motifsig: {sites}:2: *motif 0, but motifs are numbered 1 to 2*"),
    rejected("SiteOfNegativeMotif", "sites", "header\n-3\ta\n", "motifsig: {sites}:2: *motif -3*"),
    rejected("SiteNumberBeyondInt", "sites", "header\n99999999999999\ta\n", "motifsig: {sites}:2: *numbered 1 to 2*"),

    rejected("TruncatedCompressedFile", "seqs", kPacked.substr(0, kPacked.size() / 2), "motifsig: {seqs}: *truncated*"),
    rejected("CorruptCompressedFile", "seqs", corrupted(kPacked), "motifsig: {seqs}: *corrupt*"),
    // An empty sequence set with sites stops at the length cache with its allocation message.
    {"NoSequencesButSites", kFiles, {{"seqs", ">only headers\n"}}, 1,
     "Resize(len, nseqs, int) failed!\nnseqs = 0\n", "*", kEarlier},
};

void PrintTo(const ToolCase &c, std::ostream *os) { *os << c.name; }

// Whether `text` matches `pattern`, where '*' stands for any text.
bool matches(const char *pattern, const char *text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') return matches(pattern + 1, text) || (*text != '\0' && matches(pattern, text + 1));
  return *pattern == *text && matches(pattern + 1, text + 1);
}

std::string replace_all(std::string text, const std::map<std::string, std::string> &paths) {
  for (const auto &[key, value] : paths)
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  return text;
}

class Tool : public ::testing::TestWithParam<ToolCase> {};

TEST_P(Tool, GivesTheExpectedStatusMessagesAndOutput) {
  const ToolCase &c = GetParam();
  TempDir dir, locales;
  std::map<std::string, std::string> paths = {{"{dir}", dir.path("")}, {"{locales}", locales.path("")}};
  paths["{dir}"].pop_back();
  std::vector<std::string> names;
  for (const char *file : {"seqs", "motifs", "sites"}) {
    const auto given = c.files.find(file);
    std::string content = given == c.files.end() ? kDefaults.at(file) : given->second;
    if (content.rfind("examples:", 0) == 0) content = read_file(MOTIFSIG_EXAMPLES "/" + content.substr(9));
    names.push_back(std::string(file) + (c.gzip ? ".gz" : ""));
    paths["{" + std::string(file) + "}"] = dir.write(names.back(), c.gzip ? gzip_bytes(content) : content);
  }
  names.push_back("out");
  paths["{out}"] = dir.write("out", kEarlier);
  std::vector<std::string> args, env;
  for (const std::string &arg : c.args) args.push_back(replace_all(arg, paths));
  for (const std::string &assignment : c.env) env.push_back(replace_all(assignment, paths));
  if (!env.empty() && std::system(("localedef -i de_DE -f UTF-8 '" + paths["{locales}"] +
                                   "de_DE.UTF-8' >/dev/null 2>&1").c_str()) != 0)
    GTEST_SKIP() << "cannot build a German locale here";

  const RunResult r = run_tool(args, env);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_TRUE(matches(replace_all(c.err, paths).c_str(), r.err.c_str())) << r.err;
  if (c.status == 1 && c.err.rfind("motifsig: ", 0) == 0) {
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line";
  }
  EXPECT_TRUE(matches(c.out.c_str(), r.out.c_str())) << r.out;
  const std::string output = read_file(paths["{out}"]);
  const bool golden = c.output.rfind("data:", 0) == 0;
  EXPECT_EQ(output, golden ? read_file(MOTIFSIG_TEST_DATA "/" + c.output.substr(5)) : c.output);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(dir.files(), names) << "no file but the output may be left beside it";
}

INSTANTIATE_TEST_SUITE_P(Cases, Tool, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return info.param.name; });

}  // namespace
