// libFuzzer target for the runner's command line: the input is split at zero bytes into
// arguments, and the parse must agree with what the arguments say.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/run_args.h"

// The parser's patterns need the system's separator, which the file system layer (not built
// into this target) defines.
namespace qs {
extern const char kPathSeparator = '/';
}

namespace {

void Expect(bool holds) {
  if (!holds) std::abort();
}

std::vector<std::string> SplitAtZeros(const uint8_t* bytes, size_t size) {
  std::vector<std::string> args;
  if (size == 0) return args;
  std::string arg;
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] == 0) {
      args.push_back(arg);
      arg.clear();
    } else {
      arg += static_cast<char>(bytes[i]);
    }
  }
  args.push_back(arg);
  return args;
}

/// The arguments before "--", where options are still read as options.
std::vector<std::string> OptionPart(const std::vector<std::string>& args) {
  return {args.begin(), std::find(args.begin(), args.end(), "--")};
}

bool Contains(const std::vector<std::string>& args, const std::string& arg) {
  return std::find(args.begin(), args.end(), arg) != args.end();
}

bool LooksLikeOption(const std::string& arg) { return arg.size() >= 2 && arg[0] == '-'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::vector<std::string> args = SplitAtZeros(bytes, size);
  const qs::RunArgs parsed = qs::ParseRunArgs(args);
  const std::vector<std::string> options = OptionPart(args);
  using Mode = qs::RunArgs::Mode;
  Expect(parsed.error.empty() == (parsed.mode != Mode::kUsageError));
  switch (parsed.mode) {
    case Mode::kHelp:
      Expect(Contains(options, "--help") || Contains(options, "-h"));
      break;
    case Mode::kBackupFromSettings:
      // Nothing but the end of options and --background: no path and no other switch.
      Expect(std::all_of(args.begin(), args.end(),
                         [](const std::string& a) { return a == "--" || a == "--background"; }));
      Expect(parsed.background == Contains(options, "--background"));
      break;
    case Mode::kBackup:
      Expect(!parsed.source.empty() && !parsed.target.empty());
      Expect(Contains(args, parsed.source) && Contains(args, parsed.target));
      Expect(!parsed.timeVersioning || Contains(options, "--time-versioning"));
      // An unknown option is never taken for a path: before "--", no path looks like one.
      Expect(options.size() != args.size() ||
             (!LooksLikeOption(parsed.source) && !LooksLikeOption(parsed.target)));
      break;
    case Mode::kPrune:
      Expect(Contains(options, "--prune-versions") && Contains(args, parsed.target));
      break;
    case Mode::kVersions:
      Expect(Contains(options, "--versions") && parsed.paths.size() == 1);
      Expect(!parsed.dryRun);
      break;
    case Mode::kRestore:
      Expect(Contains(options, "--restore") && !parsed.dest.empty());
      Expect(Contains(args, parsed.target) && Contains(args, parsed.dest));
      break;
    case Mode::kSchedule:
      // The action and nothing else: no path, no backup option.
      Expect(!parsed.background && parsed.source.empty() && parsed.target.empty());
      Expect(std::any_of(options.begin(), options.end(),
                         [](const std::string& a) { return a.rfind("--schedule", 0) == 0; }));
      break;
    case Mode::kRebuildRecord:
      // One target and no other switch.
      Expect(Contains(options, "--rebuild-record") && Contains(args, parsed.target));
      Expect(!parsed.dryRun && !parsed.background);
      break;
    case Mode::kVerify:
      // One target, a budget from 1 to 100, and --repair only when it was given.
      Expect(Contains(options, "--verify") && Contains(args, parsed.target));
      Expect(parsed.budget >= 1 && parsed.budget <= 100);
      Expect(!parsed.repair || Contains(options, "--repair"));
      Expect(!parsed.dryRun);
      break;
    case Mode::kStatus:
      Expect(Contains(options, "--status") && Contains(args, parsed.target));
      Expect(!parsed.repair && !parsed.background && parsed.budget == 100);
      break;
    case Mode::kUsageError:
      break;
  }
  return 0;
}
