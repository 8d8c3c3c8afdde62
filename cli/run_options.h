// The runner's options: what each does to the arguments, which modes take it, and its lines
// in --help.
#pragma once

#include <span>
#include <string>

#include "cli/run_args.h"

namespace qs {

/// A set of modes, one bit each.
using ModeSet = unsigned;

constexpr ModeSet ModeBit(RunArgs::Mode mode) { return 1u << static_cast<unsigned>(mode); }

/// What is said of an option given to a mode that does not take it, checked in this order.
enum class Refusal { kBackupOnly, kVerifyOnly, kPruneOnly, kRestoreOnly, kModeMisfit };

/// The error for a refusal other than kModeMisfit, which takes the mode's own words.
const char* RefusalText(Refusal refusal);

/// An option's line in the --help section of one mode.
struct OptionHelp {
  RunArgs::Mode mode;
  const char* text;  ///< lines after the option's name, '\n' between them
};

struct RunOption {
  const char* name;
  const char* value;  ///< what its value is called in --help; nullptr for a flag
  /// Reads the value (or nothing, for a flag) into the arguments; false when it is bad.
  bool (*apply)(const std::string& value, RunArgs* args);
  ModeSet modes;  ///< the modes that take it
  Refusal refusal;
  OptionHelp help[2] = {};                             ///< unused slots have no text
  RunArgs::Mode selects = RunArgs::Mode::kUsageError;  ///< the mode it chooses, if any
  const char* badValue = nullptr;  ///< the error before a bad value; "bad value for" else
};

/// In the order of their lines in --help.
std::span<const RunOption> RunOptions();

/// The option called exactly `name`, or nullptr.
const RunOption* FindRunOption(const std::string& name);

}  // namespace qs
