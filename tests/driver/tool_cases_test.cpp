// Whole runs of the built tool, one row per case: command, input files, exit status, standard
// error, standard output and the output file. Bad input or failed output: one line naming the
// file (and line), exit status 1, and the output file left exactly as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    "MOTIF 2\nletter-probability matrix: alength= 4 w= 1 nsites= 0 E= 0\n0.25 0.25 0.25 0.25\n"
    "letter-probability matrix: alength= 4 w= 0\n";
const char kSites[] = "header\n1\ta\n1\tb\n2\tc\n";
const char kBackground[] = "# as in the motif file\nA 0.25\nC 0.25\n\nG 0.25\nT 0.25\n";
const char kEarlier[] = "an earlier result\n";
const char kSteps[] =
    "reading original data file...\nreading models...\nreading motif sequences...\n"
    "calculating evalues...\n";
// The background is rescaled to sum 1. Motif 2 equals the background, so its E-value is the
// number of placements of its one site: the 10 positions of the longest sequence times the 3
// sequences it may lie in. Motif 3, of width 0, has no sites and E-value 1.
const char kOutput[] =
    "VORL version 4\n\nALPHABET= ACGT\nBackground letter frequencies\n"
    "A 0.25 C 0.25 G 0.25 T 0.25 \n\n"
    "MOTIF 1\nletter-probability matrix: alength= 4 w= 2 nsites= 2 E= 1.89e2\n"
    "  0.7  0.1  0.1  0.1\n  0.1  0.1  0.1  0.7\n\n\n"
    "MOTIF 2\nletter-probability matrix: alength= 4 w= 1 nsites= 1 E= 3e1\n"
    "  0.25  0.25  0.25  0.25\n\n\n"
    "MOTIF 3\nletter-probability matrix: alength= 4 w= 0 nsites= 0 E= 1e0\n\n\n";
const std::string kFour = "{seqs} {motifs} {sites} {out}";

std::string motifs_with(const std::string &tail) {
  return "ALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n" + tail;
}
std::string background(const std::string &row) { return "ALPHABET= ACGT\nx\n" + row + "\n"; }
std::string block(const std::string &w, const std::string &rows = "") {
  return "letter-probability matrix: alength= 4 w= " + w + "\n" + rows;
}
std::string matrix(const std::string &w, const std::string &rows = "") {
  return motifs_with(block(w, rows));
}
const std::string kPacked = gzip_bytes(read_file(MOTIFSIG_EXAMPLES "/peaks.fa"));
std::string sites_of_motif_1(int n) {
  std::string sites = "header\n";
  for (int i = 0; i < n; ++i) sites += "1\tx\n";
  return sites;
}

struct ToolCase {
  std::string name;
  // Split at blanks ('' is an empty word); {seqs} {motifs} {sites} {bg} {out} {dir} are scratch
  // paths, {ex} the
  // examples; the output file {out} holds kEarlier before the run. `file` "seqs", "motifs",
  // "sites" or "bg": that input holds `content`; "bom": `content` comes before each of the first
  // three; "gz": these three are gzip-compressed. After the run: standard error, standard output
  // and the output file, where '*' stands for any text.
  std::string args, file = "", content = "";
  int status = 0;
  std::string err = "", out = "*", output = kOutput;
  std::vector<std::string> env = {};  // shell words before the command
  std::string setup = "";             // shell commands run before, such as making links
  mode_t mode = 0;                    // the output file's permissions afterwards, unless 0
};

// A run that fails: a one-line message, the output as it was.
ToolCase fails(const std::string &name, const std::string &args, const std::string &err) {
  return {name, args, "", "", 1, err, "*", kEarlier};
}
// A usage error: two lines, the output as it was.
ToolCase usage(const std::string &name, const std::string &args, const std::string &err) {
  return {name, args,    "", "", 2, err + "\nTry 'motifsig --help' for more information.\n",
          "",   kEarlier};
}
// A bad input file: the message starts "motifsig: FILE".
ToolCase bad(const std::string &name, const std::string &file, const std::string &content,
             const std::string &err) {
  return {name, (file == "bg" ? "--background {bg} " : "") + kFour,
          file, content,
          1,    "motifsig: {" + file + "}" + err,
          "*",  kEarlier};
}

// clang-format off
const ToolCase kCases[] = {
    {"ThreeMotifs", kFour + " fifth sixth", "", "", 0,
     "motifsig: warning: fifth: ignored: only four file names are read\n"
     "motifsig: warning: sixth: ignored: only four file names are read\n", std::string(kSteps) +
     "calculating evalue for motif 1\ncalculating evalue for motif 2\n"
     "calculating evalue for motif 3\n"},
    {"Quiet", "-q " + kFour, "", "", 0, "", ""},
    {"NoMotifsWritesTheHeaderOnly", "{seqs} {motifs} /dev/null {out}", "motifs",
     "ALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7\n", 0, "", kSteps,
     "VORL version 4\n\nALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7 \n\n"},
    // The examples' statistics, to the bit, in the TSV report; the motif file goes nowhere.
    {"DnaExample", "--tsv {out} {ex}/peaks.fa {ex}/motifs.txt {ex}/sites.tsv /dev/null", "", "",
     0, "", "*", read_file(MOTIFSIG_TEST_DATA "/example_report.tsv")},
    {"ProteinExample", "--tsv {out} {ex}/protein/proteins.fa {ex}/protein/motifs.txt "
     "{ex}/protein/sites.tsv /dev/null", "", "", 0, "", "*",
     read_file(MOTIFSIG_TEST_DATA "/protein_report.tsv")},
    {"CompressedInputs", kFour, "gz"},
    {"GermanLocale", kFour, "", "", 0, "", "*", kOutput,
     {"LOCPATH={locales}", "LC_ALL=de_DE.UTF-8"}},
    {"ConcatenatedCompressedMembers", kFour, "seqs",
     gzip_bytes(std::string(kSeqs).substr(0, 16)) + gzip_bytes(std::string(kSeqs).substr(16))},
    {"ByteOrderMarks", kFour, "bom", "\xEF\xBB\xBF"},
    {"NoHeadersNoWarning", kFour, "seqs", "ACGTACGTAC\nACGTACGT\nACGTA\n"},
    {"WrappedFastaWarnedOnce", kFour, "seqs", ">a\nACGTACGTAC\n>b x\nAC\n\nGT\n>c\nAC\nGT\n", 0,
     "motifsig: warning: {seqs}:3: record 'b' spans more than one line, *give --fasta*\n",
     "*", "VORL*"},
    // Each carriage return counts as a letter, as without one the lines are 10, 8 and 5 long.
    {"WindowsLineEndsWarnedOnce", kFour, "seqs", ">a\r\nACGTACGTA\r\n>b\r\nACGTACG\r\n>c\r\nACGT\r\n", 0,
     "motifsig: warning: {seqs}:2: the line ends with a carriage return (Windows line ends), *"
     "give --fasta*\n"},
    // As FASTA the same lengths: lines joined, a carriage return before the line feed no letter,
    // empty lines and a record without letters skipped.
    {"FastaRecords", "--fasta " + kFour, "seqs",
     ">a\r\nACGTA\r\nCGTAC\r\n>b x\nACGT\n\nACGT\n>none\n>c\nACGTA"},
    {"FastaNeedsAHeaderFirst", "--fasta " + kFour, "seqs", "ACGTACGTAC\n>b\nACGTACGT\n", 1,
     "motifsig: {seqs}:1: sequence line before the first '>' header line; *", "*", kEarlier},
    // Probabilities rounded to two decimals pass; a DNA row may be off by 0.02.
    {"RoundedRowsPass", kFour, "motifs", motifs_with(block("2", "0.33 0.33 0.33 0\n0.3 0.3 0.3 0.12\n"))
     + block("1", "0.25 0.25 0.25 0.25\n") + block("0"), 0, "", "*",
     "*\n  0.33  0.33  0.33  0\n  0.3  0.3  0.3  0.12\n*"},
    {"MoreSitesThanSequences", kFour, "sites", sites_of_motif_1(4), 0,
     "motifsig: warning: {sites}: motif 1 has 4 sites, but only 3 sequences are 2 or more letters "
     "long to hold one each; its E-value is inf\n", "*", "*nsites= 4 E= inf\n*"},
    {"MoreSitesThanPositions", "--sites anywhere " + kFour, "sites", sites_of_motif_1(21), 0,
     "motifsig: warning: {sites}: motif 1 has 21 sites, but the sequences have only 20 start "
     "positions for its width 2; its E-value is inf\n", "*", "*nsites= 21 E= inf\n*"},
    // Two columns on a uniform DNA background: at 433 sites a lattice step is 3 nats and the
    // motif's E-value likely 10-fold off (1.6 orders estimated).
    {"ManySitesWarnOfTheLattice", kFour, "sites", sites_of_motif_1(433), 0,
     "motifsig: warning: {sites}: 1 motif (1) has enough sites that the lattice's column "
     "p-values likely put its E-value 10-fold or more off; --pvalues accurate computes the "
     "p-values to within 0.01 in log10 (2%) of the exact tail, 0.02 (5%) for five or more "
     "letters\n"
     "motifsig: warning: {sites}: motif 1 has 433 sites, but only 3 sequences are 2 or more "
     "letters long to hold one each; its E-value is inf\n", "*", "*"},
    {"ManySitesAccurate", "--pvalues accurate " + kFour, "sites", sites_of_motif_1(433), 0,
     "motifsig: warning: {sites}: motif 1 has 433 sites, but only 3 sequences are 2 or more "
     "letters long to hold one each; its E-value is inf\n", "*", "*"},
    {"OneLetterAlphabet", kFour, "motifs", "ALPHABET= A\nx\nA 0.3\nletter-probability matrix: "
     "alength= 1 w= 1\n1\nletter-probability matrix: alength= 1 w= 1\n1\n", 0, "", "*",
     "VORL version 4\n\nALPHABET= A\nBackground letter frequencies\nA 1 \n*"},
    // No sequences: every E-value is 1 without sites; with sites the length cache stops the run.
    {"NoSequencesNoSites", "{seqs} {motifs} /dev/null {out}", "seqs", ">only headers\n", 0, "", "*",
     "*E= 1e0\n*E= 1e0\n*E= 1e0\n*"},
    // A line naming the file comes before the statistics' two lines, which stay as they were.
    {"NoSequencesButSites", kFour, "seqs", ">only headers\n", 1, "motifsig: {seqs}: the file "
     "holds no sequences (*)\nResize(len, nseqs, int) failed!\nnseqs = 0\n", "*", kEarlier},
    {"CarriageReturnLineEndsOnly", kFour, "seqs", ">a\rACGT\r>b\rACGT\r", 1,
     "motifsig: {seqs}: the file holds no sequences (*carriage returns alone)\nResize*", "*",
     kEarlier},
    {"SiteFileWithoutHeader", kFour, "sites", "1\ta\n1\tb\n2\tc\n", 0, "motifsig: warning: "
     "{sites}:1: the first line is skipped as the header, but it reads as a site of motif 1; if "
     "it is one, add a header line before it\n", "*", "*nsites= 1 E=*"},

    // Search models: the E-values of motifs 1 and 2 (1.89e2 and 3e1 by default).
    {"DefaultModelNamed", "--strands 1 --sites per-sequence " + kFour},
    {"BackgroundAsInTheMotifFile", "--background {bg} " + kFour},
    {"BothStrands", "--strands 2 " + kFour, "", "", 0, "", "*", "*E= 7.56e2\n*E= 6e1\n*"},
    {"PalindromesOnOneStrand", "--strands 2 --palindromic " + kFour},
    {"SitesAnywhereBothStrands", "--sites anywhere --strands 2 " + kFour, "", "", 0, "", "*",
     "*E= 7.6e2\n*E= 4.6e1\n*"},
    // Options count wherever they stand; after "--" every word is a file name.
    {"OptionsAfterTheFiles", "{seqs} {motifs} {sites} /dev/null --strands 2 --tsv {out}", "", "",
     0, "", "*", "*\n1\t1\t*\t7.56e2\n2\t2\t*\t6e1\n*"},
    {"DoubleDashEndsTheOptions", "--strands 2 -- " + kFour + " --tsv", "", "", 0,
     "motifsig: warning: --tsv: ignored: only four file names are read\n", "*",
     "*E= 7.56e2\n*E= 6e1\n*"},
    {"NoReverseComplementWarned", "--strands 2 {ex}/protein/proteins.fa {ex}/protein/motifs.txt "
     "{ex}/protein/sites.tsv /dev/null", "", "", 0, "motifsig: warning: {ex}/protein/motifs.txt: "
     "--strands 2 counts sites on a reverse strand, but the alphabet ACDEFGHIKLMNPQRSTVWY has no "
     "reverse complement (only DNA and RNA letters have one)\n", "*", kEarlier},
    {"RnaHasAReverseComplement", "--strands 2 --palindromic {seqs} {motifs} /dev/null {out}", "motifs",
     "ALPHABET= ACGU\nx\nA 1 C 1 G 1 U 1\n", 0, "", "*", "*ALPHABET= ACGU\n*"},
    {"BackgroundFileRescaled", "--background {bg} " + kFour, "bg", "T 0.6\nG 0.2\nC 0.2\nA 0.2\n",
     0, "", "*", "*\nA 0.166667 C 0.166667 G 0.166667 T 0.5 \n*"},

    usage("Usage", "a b c", "motifsig: expected 4 file names, got 3"),
    usage("UnknownOption", kFour + " --strand 2", "motifsig: unknown option --strand"),
    usage("StrandsNotAWholeNumber", "--strands 2.0 " + kFour,
          "motifsig: --strands: expected 1 or 2, not '2.0'"),
    usage("ThreadsInWords", "--threads two " + kFour,
          "motifsig: --threads: expected a whole number from 1 to 4096, not 'two'"),
    usage("EmptyReportName", "--tsv '' " + kFour, "motifsig: --tsv: expected a file name, not ''"),
    usage("EmptyBackgroundName", kFour + " --background ''",
          "motifsig: --background: expected a file name, not ''"),
    usage("EmptyFileName", "{seqs} '' {sites} {out}",
          "motifsig: MOTIFS: expected a file name, not ''"),
    usage("PalindromicOnOneStrand", "--palindromic " + kFour,
          "motifsig: --palindromic needs --strands 2: *"),
    // No output may be an input or another output, however the path is spelled: compared are
    // the files the paths reach, and a name not there yet by its directory.
    usage("OutputOverTheSequences", "{seqs} {motifs} {sites} {dir}/seqs",
          "motifsig: {dir}/seqs: the output file would replace the sequence file ({seqs})"),
    usage("ReportOverTheSites", "--tsv {sites} " + kFour,
          "motifsig: {sites}: --tsv would replace the site file"),
    usage("ReportOverTheBackground", "--background {bg} --html {dir}/bg-link " + kFour,
          "motifsig: {dir}/bg-link: --html would replace the background file ({bg})"),
    usage("ReportOverTheOutput", "--json {out} " + kFour,
          "motifsig: {out}: --json is the same file as the output file"),
    usage("ReportThroughAHardLink", "--tsv {dir}/hard " + kFour,
          "motifsig: {dir}/hard: --tsv is the same file as the output file ({out})"),
    usage("NewFileSpelledTwice", "--json {dir}/sub/../new --html {dir}/new " + kFour,
          "motifsig: {dir}/new: --html is the same file as --json ({dir}/sub/../new)"),
    usage("LogosOverAFile", "--logos {seqs} " + kFour,
          "motifsig: {seqs}: --logos needs a directory, and this is not one"),
    // The logos are named after the motifs, so a clash is found once the motif file is read.
    {"LogoOverTheSites", "--logos {dir} " + kFour, "", "", 2, "motifsig: {dir}/motif-2.svg: --logos "
     "would replace the site file ({sites})\nTry 'motifsig --help' for more information.\n",
     "reading original data file...\nreading models...\n", kEarlier, {}, "ln -s sites {dir}/motif-2.svg"},
    usage("LogosBesideAReport", "--logos {dir}/logos --tsv {dir}/logos " + kFour,
          "motifsig: {dir}/logos: --logos is the same file as --tsv"),
    usage("StandardOutputTwice", "--tsv /dev/fd/1 {seqs} {motifs} {sites} /dev/stdout",
          "motifsig: /dev/fd/1: --tsv is the same file as the output file (/dev/stdout)"),
    {"NullDeviceTwice", "--tsv /dev/null --json /dev/null " + kFour},
    // "-" is standard output, for one output only; the progress lines would garble it.
    {"OutputToStandardOutput", "{seqs} {motifs} {sites} -", "", "", 0, "", kOutput, kEarlier},
    {"ReportToStandardOutput", "--tsv - " + kFour, "", "", 0, "", "motif\tid\t*\n2\t2\t*"},
    usage("TwoOutputsOnStandardOutput", "--json - {seqs} {motifs} {sites} -",
          "motifsig: -: --json and the output file cannot both go to standard output"),
    usage("LogosOnStandardOutput", "--logos - " + kFour,
          "motifsig: -: --logos needs a directory; its files cannot go to standard output"),
    // A path below a --logos directory not made yet, however it is spelled.
    {"LogoSpelledOtherwise", "--logos {dir}/L {seqs} {motifs} {sites} {dir}/./L/motif-1.svg", "",
     "", 2, "motifsig: {dir}/L/motif-1.svg: --logos is the same file as the output file "
     "({dir}/./L/motif-1.svg)\nTry 'motifsig --help' for more information.\n", "*", kEarlier},
    {"LogoSpelledWithTwoSlashes", "--logos {dir}/L --tsv {dir}/L//motif-2.svg " + kFour, "", "", 2,
     "motifsig: {dir}/L/motif-2.svg: --logos is the same file as --tsv ({dir}/L//motif-2.svg)\n"
     "Try 'motifsig --help' for more information.\n", "*", kEarlier},
    {"Help", "--help", "", "", 0, "", "Usage: motifsig [OPTIONS] SEQUENCES MOTIFS *", kEarlier},

    fails("MissingSequences", "{dir}/none {motifs} {sites} {out}",
          "motifsig: {dir}/none: cannot open file: No such file or directory\n"),
    fails("DirectoryAsInput", "{dir} {motifs} {sites} {out}",
          "motifsig: {dir}: is a directory, not a file\n"),
    fails("EndlessLine", "/dev/zero {motifs} {sites} {out}",
          "motifsig: /dev/zero:1: sequence is longer than 2147483647 characters\n"),
    fails("OutputDirectoryMissing", "{seqs} {motifs} {sites} {dir}/no/out",
          "motifsig: {dir}/no/out: cannot create the output file*"),
    fails("OutputDeviceFull", "{seqs} {motifs} {sites} /dev/full",
          "motifsig: /dev/full: cannot write the output*"),
    // A file size limit of 1 KiB: the steps on standard output fit, and so does the 1 KiB file
    // the OpenMP runtime of clang makes at start; the protein example's output does not.
    {"FileSizeLimit", "{ex}/protein/proteins.fa {ex}/protein/motifs.txt {ex}/protein/sites.tsv "
     "{out}", "", "", 1, "motifsig: {out}: cannot write the output: File too large\n", "*",
     kEarlier, {"ulimit -f 2;"}},
    // The mode of a replaced output is kept; a new one gets the umask's. Links are followed, as
    // a shell redirection follows them, even to a file that does not exist yet.
    {"ReplacedOutputKeepsItsMode", kFour, "", "", 0, "", "*", kOutput, {"umask 027;"},
     "chmod 600 {out}", 0600},
    {"NewOutputFollowsTheUmask", kFour, "", "", 0, "", "*", kOutput, {"umask 027;"}, "rm {out}",
     0640},
    {"OutputThroughADanglingLink", "{seqs} {motifs} {sites} {dir}/link", "", "", 0, "", "*",
     kOutput, {}, "rm {out}; ln -s out {dir}/link"},
    {"OutputThroughALinkLoop", "{seqs} {motifs} {sites} {dir}/l1", "", "", 1, "motifsig: {dir}/l1: "
     "cannot write the output: Too many levels of symbolic links\n", "*", kEarlier, {},
     "ln -s l2 {dir}/l1; ln -s l1 {dir}/l2"},
    fails("TsvReportCannotBeWritten", "--tsv {dir}/no/r " + kFour, "motifsig: {dir}/no/r: *"),
    fails("JsonReportCannotBeWritten", "--json {dir}/no/r " + kFour, "motifsig: {dir}/no/r: *"),
    // The reports that could be written are not left behind either.
    fails("HtmlReportCannotBeWritten", "--tsv {dir}/r.tsv --json {dir}/r.json --html {dir}/no/r " + kFour,
          "motifsig: {dir}/no/r: *"),
    // A device is written before any file is replaced: when it fails, nothing was.
    fails("DeviceFullBeforeTheFiles", "--tsv /dev/full " + kFour,
          "motifsig: /dev/full: cannot write the output: No space left on device\n"),
    fails("ControlBytesInAPath", "{dir}/a\x1b[1m\x7f {motifs} {sites} {out}",
          "motifsig: {dir}/a\\x1b[1m\\x7f: cannot open file: No such file or directory\n"),
    {"LogosThroughADanglingLink", "--logos {dir}/gone " + kFour, "", "", 1, "motifsig: {dir}/gone: "
     "cannot create the directory for --logos: the path is a symbolic link to 'nowhere', which "
     "does not exist; *", "*", kEarlier, {}, "ln -s nowhere {dir}/gone"},
    // A logo that cannot be written leaves no logo, no report and no motif file.
    {"LogosAllOrNothing", "--logos {dir}/logos --json {dir}/r.json " + kFour, "", "", 1, "motifsig: "
     "{dir}/logos/motif-2.svg: cannot write the output: it is a directory\n", "*", kEarlier, {},
     "mkdir -p {dir}/logos/motif-2.svg && touch {dir}/logos/motif-2.svg/x"},
    fails("OutputNameEndsWithASlash", "{seqs} {motifs} {sites} {out}/", "motifsig: {out}/: cannot "
          "create the output file: the path ends with '/', which names a directory, not a file\n"),
    fails("LogosDirectoryWithoutParent", "--logos {dir}/no/logos " + kFour,
          "motifsig: {dir}/no/logos: cannot create the directory for --logos: No such file or "
          "directory\n"),

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
    bad("ZeroBackground", "motifs", background("A 0 C 0 G 0 T 0"), ":3: *are all 0*"),
    bad("BackgroundSumOverflows", "motifs", background("A 1e308 C 1e308 G 1 T 1"),
        ":3: *add up to more than the largest number*"),
    bad("FractionalWidth", "motifs", matrix("2.5"), ":4: *width of motif 1, '2.5'*"),
    bad("NegativeWidth", "motifs", matrix("-1"), ":4: *width of motif 1, '-1'*"),
    bad("NoWidth", "motifs", matrix(""), ":4: *gives no width*"),
    bad("TooWide", "motifs", matrix("301"), ":4: *motif 1 is 301 columns wide; the limit is 300*"),
    bad("EmptyRow", "motifs", matrix("2", "0.2 0.2 0.2 0.4\n\n"), ":6: *row 2 of motif 1 has 0*"),
    bad("HugeProbability", "motifs", matrix("1", "0.2 0.2 1e999 0.4\n"), ":5: *'1e999' is not*"),
    bad("NulInANumber", "motifs", matrix("1", std::string("0.7 0.1 0.1\0x 0.1\n", 18)),
        ":5: probability '0.1\\0x' is not a number\n"),
    bad("CountMatrix", "motifs", motifs_with("MOTIF m1\n" + block("2", "1 0 0 0\n7 1 1 1\n")),
        ":7: row 2 of motif 1 ('m1') sums to 10, not 1: the rows must be letter probabilities, "
        "not counts or percentages (divide each value by its row's sum)\n"),
    bad("Percentages", "motifs", matrix("1", "25 25 25 25\n"), ":5: row 1 of motif 1 sums to 100*"),
    bad("RowSumBeyondRounding", "motifs", matrix("1", "0.25 0.25 0.25 0.28\n"), ":5: *to 1.03,*"),
    bad("RowOfZeros", "motifs", matrix("1", "0 0 0 0\n"), ":5: *sums to 0, not 1*"),

    bad("SiteWithoutNumber", "sites", "h\n1\ta\nfirst\tb\n", ":3: *not begin with a motif number*"),
    bad("SiteAfterTheLastMotif", "sites", "h\n4\ta\n", ":2: *motif 4, but motifs are numbered 1*"),
    bad("SiteOfMotifZero", "sites", "h\n0\ta\n", ":2: *motif 0, but*"),
    bad("SiteOfNegativeMotif", "sites", "h\n-3\ta\n", ":2: *motif -3, but*"),
    bad("SiteNumberBeyondInt", "sites", "h\n99999999999999\ta\n",
        ":2: site of motif 99999999999999, but motifs are numbered 1 to 3\n"),

    bad("BackgroundLacksALetter", "bg", "A 0.2\nC 0.2\nG 0.6\n", ": no frequency for letter 'T'*"),
    bad("BackgroundLetterTwice", "bg", "A 1\nC 1\nA 1\nG 1\nT 1\n", ":3: *'A' is given twice*"),
    bad("BackgroundOtherLetter", "bg", "A 1\nC 1\nG 1\nU 1\n", ":4: *'U' is not a letter of*"),
    bad("BackgroundNotANumber", "bg", "A 1\nC 0.2x\nG 1\nT 1\n", ":2: *'0.2x', is not a number*"),
    bad("BackgroundNegative", "bg", "A 1\nC -1\nG 1\nT 1\n", ":2: *is negative*"),
    bad("BackgroundNoFrequency", "bg", "A\n", ":1: *expected a letter and its frequency*"),
    bad("BackgroundFileAllZero", "bg", "A 0\nC 0\n\nG 0\nT 0\n", ":5: *are all 0*"),
    bad("BackgroundFileOverflows", "bg", "A 1e308\nC 1e308\nG 1\nT 1\n", ":2: *largest number*"),

    bad("TruncatedCompressedFile", "seqs", kPacked.substr(0, kPacked.size() / 2), ": *truncated*"),
    bad("CorruptCompressedFile", "seqs", std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03\x07xyz", 14),
        ": compressed data is corrupt (invalid block type)\n"),
    bad("TextAfterGzip", "seqs", gzip_bytes(kSeqs) + kSeqs, ": *followed by data that is not*"),
    bad("ByteAfterGzip", "seqs", gzip_bytes(kSeqs) + "\n", ": *followed by data that is not*"),
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
  const std::pair<std::string, std::string> inputs[] = {
      {"seqs", kSeqs}, {"motifs", kMotifs}, {"sites", kSites}, {"bg", kBackground}};
  for (const auto &[file, content] : inputs) {
    std::string text = file == c.file ? c.content : content;
    if (c.file == "bom" && file != "bg") text = c.content + content;
    if (c.file == "gz" && file != "bg") text = gzip_bytes(content);
    paths["{" + file + "}"] = dir.write(file, text);
  }
  paths["{out}"] = dir.write("out", kEarlier);
  // Other spellings of the files above.
  const std::string links = "ln {out} {dir}/hard && ln -s bg {dir}/bg-link && mkdir {dir}/sub";
  ASSERT_EQ(std::system(replace_all(links, paths).c_str()), 0);
  ASSERT_EQ(c.setup.empty() ? 0 : std::system(replace_all(c.setup, paths).c_str()), 0);
  std::vector<std::string> args, env, left = dir.files();  // left beside the output afterwards
  if (!std::binary_search(left.begin(), left.end(), "out"))
    left.insert(std::lower_bound(left.begin(), left.end(), "out"), "out");
  std::istringstream words(replace_all(c.args, paths));
  for (std::string word; words >> word;) args.push_back(word == "''" ? "" : word);
  for (const std::string &word : c.env) env.push_back(replace_all(word, paths));
  const std::string make_locale = "localedef -i de_DE -f UTF-8 " + locales.path("de_DE.UTF-8");
  if (!c.env.empty() && c.env[0] == "LOCPATH={locales}" &&
      std::system((make_locale + " >/dev/null 2>&1").c_str()) != 0)
    GTEST_SKIP() << "no German locale";

  const RunResult r = run_tool(args, env);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_TRUE(matches(replace_all(c.err, paths).c_str(), r.err.c_str())) << r.err;
  if (c.status == 1 && c.err.rfind("motifsig: ", 0) == 0 && c.err.find("\nResize") == c.err.npos) {
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
  }
  EXPECT_TRUE(matches(c.out.c_str(), r.out.c_str())) << r.out;
  const std::string output = read_file(paths["{out}"]);
  EXPECT_TRUE(matches(c.output.c_str(), output.c_str())) << output;
  EXPECT_EQ(dir.files(), left) << "no file but the output may be left beside the inputs";
  struct stat info {};
  EXPECT_TRUE(c.mode == 0 ||
              (stat(paths["{out}"].c_str(), &info) == 0 && (info.st_mode & 07777) == c.mode))
      << std::oct << info.st_mode;
}

INSTANTIATE_TEST_SUITE_P(Cases, Tool, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return info.param.name; });

}  // namespace
