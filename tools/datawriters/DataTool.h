#pragma once
// The data tool's commands, apart from its `main` so that tests run them on
// real files. Every command checks its whole input before it writes, and
// writes each output through a temporary file, so a refused input leaves any
// older output as it was.
//
//   cbi [--format F] [--raw WxH] INPUT OUTPUT.cbi
//       a TGA picture (or raw R G B A bytes of W x H) as an image container
//   frames [--format F] [--raw WxH] PREFIX INPUT...
//       numbered containers PREFIX01.cbi, PREFIX02.cbi, ... one per input
//   loca SOURCE.txt OUTPUT.bin
//       a text source as a localisation table
//
// F is auto (the default: DXT1 when opaque, DXT5 with transparency), rgb,
// rgba, dxt1 or dxt5.

#include <ostream>

namespace DataTool {

inline constexpr const char* kUsage =
    "usage: tavrin-data cbi [--format F] [--raw WxH] INPUT OUTPUT.cbi\n"
    "       tavrin-data frames [--format F] [--raw WxH] PREFIX INPUT...\n"
    "       tavrin-data loca SOURCE.txt OUTPUT.bin\n"
    "F: auto (default), rgb, rgba, dxt1, dxt5\n";

// Largest input file read: a raw picture of the largest size.
inline constexpr size_t kMaxInputBytes = size_t(1) << 30;
// More numbered frames than a two-digit name can hold are refused.
inline constexpr int kMaxFrames = 99;

// Runs one command; messages go to `messages`. Answers the exit status: 0
// done, 1 refused input or failed write, 2 bad command line.
int Run(int argc, const char* const* argv, std::ostream& messages);

}  // namespace DataTool
