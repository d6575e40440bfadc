// The single measurements the benchmark is made of: a started program with
// its wall time and peak resident set, and the two limits the bench
// computes itself (the hex-and-write floor and zlib's own CPU time).
#ifndef QUILNOTE_BENCH_MEASURE_H_
#define QUILNOTE_BENCH_MEASURE_H_

#include <csignal>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quilnote::bench {

// Set by SIGINT and SIGTERM; the long loops check it and raise Interrupted.
extern volatile std::sig_atomic_t g_stop_requested;

struct Interrupted : std::runtime_error {
  Interrupted() : std::runtime_error("interrupted") {}
};

// Raises Interrupted once a stop was requested.
void CheckStop();

// Where a started program's standard output goes.
enum class StdoutTo {
  kNull,     // /dev/null
  kCapture,  // a pipe, read back into RunResult::captured (small output only)
  kNewFile,  // a file that must not exist yet, created before the clock starts
};

struct RunResult {
  double seconds = 0;       // wall time from fork to the reaped exit
  double cpu_seconds = 0;   // the child's user and system CPU time
  double peak_rss_mib = 0;  // ru_maxrss of the child
  std::string captured;     // standard output, with StdoutTo::kCapture
};

// Runs `args` (args[0] looked up on PATH unless it holds a '/') in the
// folder `cwd`, standard input from /dev/null, standard error inherited.
// `stdout_path` is the file for StdoutTo::kNewFile, relative to `cwd`
// unless absolute. Raises std::runtime_error when the program cannot be
// started or does not exit with status 0, Interrupted after a stop request.
//
// The child is made by fork, not posix_spawn: Linux hands an exec'd child
// the peak RSS of the memory it was started from, which with vfork is the
// whole history of this process. After fork it is only what this process
// holds at that moment, which the bench keeps small.
RunResult RunProgram(const std::vector<std::string>& args, const std::string& cwd, StdoutTo to,
                     const std::string& stdout_path = "");

// Full path of an executable called `name` on PATH; empty when none.
std::string FindOnPath(const std::string& name);

// The I/O floor: reads `input` in 1 MB pieces, hex-encodes each (two
// upper-case digits a byte, as PDF hex strings are) and writes the result to
// `output`, which must not exist yet. Returns the wall seconds, open to
// close.
double HexAndWrite(const std::string& input, const std::string& output);

// What zlib alone costs for the compressed forms: the content stream of
// every page in the uncompressed PDF `plain_pdf`, deflated page by page at
// `zlib_level` with the program's parameters, one compressor reset between
// pages. Reading the file is not counted.
struct DeflateResult {
  double cpu_seconds = 0;  // this thread's CPU time spent in deflate
  uint64_t pages = 0;
  uint64_t plain_bytes = 0;
  uint64_t compressed_bytes = 0;
};
DeflateResult DeflatePages(const std::string& plain_pdf, int zlib_level);

}  // namespace quilnote::bench

#endif  // QUILNOTE_BENCH_MEASURE_H_
