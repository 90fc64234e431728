// Whole runs of the built tool, one row per case: command, input files, exit status, standard
// error, standard output and the output file. Bad input or failed output: one line naming the
// file (and line), exit status 1, and the output file left exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

const char kSeqs[] = ">a\nACGTACGTAC\n\n>b\nACGTACGT\n>c\nACGTA\n";  // a blank line is no sequence
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
const char kFour[] = "{seqs} {motifs} {sites} {out}";
const char kExample[] = "{ex}/peaks.fa {ex}/motifs.txt {ex}/sites.tsv {out}";

std::string motifs_with(const std::string &tail) {
  return "ALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n" + tail;
}
std::string background(const std::string &row) { return "ALPHABET= ACGT\nx\n" + row + "\n"; }
std::string matrix(const std::string &w, const std::string &rows = "") {
  return motifs_with("letter-probability matrix: alength= 4 w= " + w + "\n" + rows);
}

const std::string kPacked = gzip_bytes(read_file(MOTIFSIG_EXAMPLES "/peaks.fa"));
std::string corrupted(std::string bytes) {
  for (size_t i = 20; i + 10 < bytes.size(); i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
  return bytes;
}

struct ToolCase {
  std::string name;
  std::string args;  // split at blanks; {seqs} {motifs} {sites} {out} {dir} are scratch paths,
                     // {ex} the examples; the output file {out} holds kEarlier before the run
  std::string file;  // "seqs", "motifs" or "sites": that input holds `content` instead;
                     // "examples.gz": the three are gzip-compressed copies of the examples
  std::string content;
  int status;
  std::string err;     // '*' stands for any text
  std::string out;     // standard output, '*' as above
  std::string output;  // the output file afterwards; "data:NAME" is tests/data/NAME
  std::vector<std::string> env = {};
};

// A bad input file: a one-line message starting "motifsig: FILE", and no output.
ToolCase bad(const std::string &name, const std::string &file, const std::string &content,
             const std::string &err) {
  return {name, kFour, file, content, 1, "motifsig: {" + file + "}" + err, "*", kEarlier};
}

// clang-format off
const ToolCase kCases[] = {
    // The background is rescaled to sum 1. Motif 2 has one site: its E-value is the 10
    // positions of the longest sequence times the 3 sequences it may lie in.
    {"TwoMotifs", std::string(kFour) + " ignored extra", "", "", 0, "",
     std::string(kSteps) + "calculating evalue for motif 1\ncalculating evalue for motif 2\n",
     "VORL version 4\n\nALPHABET= ACGT\nBackground letter frequencies\n"
     "A 0.25 C 0.25 G 0.25 T 0.25 \n\n"
     "MOTIF 1\nletter-probability matrix: alength= 4 w= 2 nsites= 2 E= 1.89e2\n"
     "  0.7  0.1  0.1  0.1\n  0.1  0.1  0.1  0.7\n\n\n"
     "MOTIF 2\nletter-probability matrix: alength= 4 w= 1 nsites= 1 E= 3e1\n"
     "  0.25  0.25  0.25  0.25\n\n\n"},
    {"NoMotifsWritesTheHeaderOnly", "{seqs} {motifs} /dev/null {out}", "motifs",
     "ALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7\n", 0, "", kSteps,
     "VORL version 4\n\nALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7 \n\n"},
    {"DnaExample", kExample, "", "", 0, "", "*", "data:example_output.txt"},
    {"ProteinExample", "{ex}/protein/proteins.fa {ex}/protein/motifs.txt "
     "{ex}/protein/sites.tsv {out}", "", "", 0, "", "*", "data:protein_output.txt"},
    {"CompressedInputs", kFour, "examples.gz", "", 0, "", "*", "data:example_output.txt"},
    {"GermanLocale", kExample, "", "", 0, "", "*", "data:example_output.txt",
     {"LOCPATH={locales}", "LC_ALL=de_DE.UTF-8"}},

    {"Usage", "a b c", "", "", 2, "motifsig: expected 4 file names, got 3\n*", "", kEarlier},
    {"Help", "--help", "", "", 0, "", "Usage: motifsig [OPTIONS] SEQUENCES MOTIFS *", kEarlier},

    {"MissingSequences", "{dir}/none {motifs} {sites} {out}", "", "", 1,
     "motifsig: {dir}/none: cannot open file: No such file or directory\n", "*", kEarlier},
    {"DirectoryAsInput", "{dir} {motifs} {sites} {out}", "", "", 1,
     "motifsig: {dir}: is a directory, not a file\n", "*", kEarlier},
    {"OutputDirectoryMissing", "{seqs} {motifs} {sites} {dir}/no/out", "", "", 1,
     "motifsig: {dir}/no/out: cannot create the output file*", "*", kEarlier},
    {"OutputDeviceFull", "{seqs} {motifs} {sites} /dev/full", "", "", 1,
     "motifsig: /dev/full: cannot write the output*", "*", kEarlier},
    // An empty sequence set with sites stops at the length cache with its allocation message.
    {"NoSequencesButSites", kFour, "seqs", ">only headers\n", 1,
     "Resize(len, nseqs, int) failed!\nnseqs = 0\n", "*", kEarlier},

    bad("NoAlphabet", "motifs", "MOTIF 1\nnothing here\n", ": no ALPHABET line*"),
    bad("MatrixFirst", "motifs", "letter-probability matrix: w= 1\n", ":1: *before any ALPHABET*"),
    bad("EmptyAlphabet", "motifs", "\nALPHABET=\nx\nA 1\n", ":2: *no letters*"),
    bad("EndsInAlphabetBlock", "motifs", "ALPHABET= ACGT\nx\n", ":2: *inside the alphabet block*"),
    bad("EndsInMatrix", "motifs", matrix("2", "0.2 0.2 0.2 0.4\n"), ":5: *ends inside a matrix*"),
    bad("OtherAlphabetSize", "motifs", motifs_with("ALPHABET= ACG\nx\nA 0.3 C 0.3 G 0.4\n"),
        ":4: *has 3 letters but the first alphabet in the file has 4*"),
    bad("ShortBackground", "motifs", background("A 0.25 C 0.25 G 0.25"), ":3: *gives 3 of the 4*"),
    bad("LetterAfterNumber", "motifs", background("A 0.2 C 0.2C G 0.2 T 0.2"), ":3: *'0.2C'*"),
    bad("NanBackground", "motifs", background("A 0.2 C nan G 0.2 T 0.2"), ":3: *'nan' is not a*"),
    bad("NegativeBackground", "motifs", background("A 0.2 C -0.2 G 0.2 T 0.2"), ":3: *negative*"),
    bad("FractionalWidth", "motifs", matrix("2.5"), ":4: *width of motif 1, '2.5'*"),
    bad("NegativeWidth", "motifs", matrix("-1"), ":4: *width of motif 1, '-1'*"),
    bad("NoWidth", "motifs", matrix(""), ":4: *gives no width*"),
    bad("TooWide", "motifs", matrix("301"), ":4: *motif 1 is 301 columns wide; the limit is 300*"),
    bad("EmptyRow", "motifs", matrix("2", "0.2 0.2 0.2 0.4\n\n"), ":6: *row 2 of motif 1 has 0*"),
    bad("HugeProbability", "motifs", matrix("1", "0.2 0.2 1e999 0.4\n"), ":5: *'1e999' is not*"),

    bad("SiteWithoutNumber", "sites", "h\n1\ta\nfirst\tb\n", ":3: *not begin with a motif number*"),
    bad("SiteAfterTheLastMotif", "sites", "h\n3\ta\n",
        ":2: site of motif 3, but motifs are numbered 1 to 2\n"),
    bad("SiteOfMotifZero", "sites", "h\n0\ta\n", ":2: *motif 0, but motifs are numbered 1 to 2*"),
    bad("SiteOfNegativeMotif", "sites", "h\n-3\ta\n", ":2: *motif -3*"),
    bad("SiteNumberBeyondInt", "sites", "h\n99999999999999\ta\n", ":2: *numbered 1 to 2*"),

    bad("TruncatedCompressedFile", "seqs", kPacked.substr(0, kPacked.size() / 2), ": *truncated*"),
    bad("CorruptCompressedFile", "seqs", corrupted(kPacked), ": *corrupt*"),
};
// clang-format on

void PrintTo(const ToolCase &c, std::ostream *os) { *os << c.name; }

// Whether `text` matches `pattern`, where '*' stands for any text.
bool matches(const char *pattern, const char *text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*')
    return matches(pattern + 1, text) || (*text != '\0' && matches(pattern, text + 1));
  return *pattern == *text && matches(pattern + 1, text + 1);
}

std::string replace_all(std::string text, const std::map<std::string, std::string> &paths) {
  for (const auto &[key, value] : paths)
    for (size_t at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  return text;
}

class Tool : public ::testing::TestWithParam<ToolCase> {};

TEST_P(Tool, GivesTheExpectedStatusMessagesAndOutput) {
  const ToolCase &c = GetParam();
  TempDir dir, locales;
  std::map<std::string, std::string> paths = {
      {"{dir}", dir.path(".")}, {"{ex}", MOTIFSIG_EXAMPLES}, {"{locales}", locales.path("")}};
  const std::string inputs[][3] = {{"seqs", kSeqs, "peaks.fa"},
                                   {"motifs", kMotifs, "motifs.txt"},
                                   {"sites", kSites, "sites.tsv"}};
  for (const auto &[file, content, example] : inputs) {
    const std::string text = c.file == "examples.gz"
                                 ? gzip_bytes(read_file(MOTIFSIG_EXAMPLES "/" + example))
                             : file == c.file ? c.content
                                              : content;
    paths["{" + file + "}"] = dir.write(file, text);
  }
  paths["{out}"] = dir.write("out", kEarlier);
  std::vector<std::string> args, env;
  std::istringstream words(replace_all(c.args, paths));
  for (std::string word; words >> word;) args.push_back(word);
  for (const std::string &assignment : c.env) env.push_back(replace_all(assignment, paths));
  const std::string make_locale =
      "localedef -i de_DE -f UTF-8 '" + paths["{locales}"] + "de_DE.UTF-8' >/dev/null 2>&1";
  if (!env.empty() && std::system(make_locale.c_str()) != 0) GTEST_SKIP() << "no German locale";

  const RunResult r = run_tool(args, env);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_TRUE(matches(replace_all(c.err, paths).c_str(), r.err.c_str())) << r.err;
  if (c.status == 1 && c.err.rfind("motifsig: ", 0) == 0) {
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
  }
  EXPECT_TRUE(matches(c.out.c_str(), r.out.c_str())) << r.out;
  const bool golden = c.output.rfind("data:", 0) == 0;
  EXPECT_EQ(read_file(paths["{out}"]),
            golden ? read_file(MOTIFSIG_TEST_DATA "/" + c.output.substr(5)) : c.output);
  const std::vector<std::string> left = {"motifs", "out", "seqs", "sites"};
  EXPECT_EQ(dir.files(), left) << "no file but the output may be left beside it";
}

INSTANTIATE_TEST_SUITE_P(Cases, Tool, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return info.param.name; });

}  // namespace
