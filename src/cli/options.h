// Command line of varno-batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/formats.h"
#include "batch/lines.h"
#include "params/transform.h"

namespace varno::cli {

struct Options {
  std::string parFile;  // empty: Veltra.par beside the executable
  batch::Process process = batch::Process::kXy;
  bool withInput = false;
  batch::InputFormat format = batch::InputFormat::kText;
  params::ConversionMode mode = params::ConversionMode::kGridOnly;
  std::optional<int> zone;
  int jobs = 0;  // conversion threads; 0: one per core
  bool verbose = false;
  bool help = false;
  bool version = false;
  std::string input, output;  // OUTPUT "-": standard output
  std::string mapFile;        // --map: the parameter-range picture of the run (SVG)
};

// OUTPUT naming standard output.
inline constexpr const char* kStdoutName = "-";

// Parses argv; on bad usage returns nullopt and sets `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The --help text (UTF-8).
std::string HelpText();

// The --version line.
std::string VersionText();

}  // namespace varno::cli
