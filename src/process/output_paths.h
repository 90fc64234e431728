// Where the outputs go, checked before anything is read or written: no two outputs may be one
// file, and no output may be one of the inputs, however the paths are spelled. Outputs that are
// not regular files (/dev/null, a terminal, a pipe) are written directly and may be shared.
// An output given as "-" is standard output, which only one output may take.
// The files under --logos are named after the motifs, so they are checked once those are read.
#pragma once

#include <string>
#include <vector>

// The files of one run; an empty path is none.
struct RunPaths {
  std::string sequences, motifs, sites, background;  // read
  std::string output, tsv, json, html, logos_dir;    // written
};

// The first clash as a usage message, such as "peaks.fa: --tsv would replace the sequence
// file", or a --logos path that is not a directory; empty when there is none. `logo_files`:
// the files --logos will write, when they are known.
std::string output_path_clash(const RunPaths &paths,
                              const std::vector<std::string> &logo_files = {});
