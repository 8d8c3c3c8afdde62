// Argument parsing kept apart from main so that it can be tested and fuzzed. Options are read
// first, in any order; then the paths and options are checked against what the chosen mode
// takes. What each option and mode is comes from their tables (run_options.cc, run_modes.cc).
#include "cli/run_args.h"

#include "cli/run_modes.h"
#include "cli/run_options.h"
#include "engine/exclusions.h"

namespace qs {

namespace {

using Mode = RunArgs::Mode;

/// The options given, and how often a mode was chosen.
struct Given {
  std::vector<const RunOption*> options;
  int modes = 0;
};

RunArgs UsageError(const std::string& error) {
  RunArgs args;
  args.error = error;
  return args;
}

bool Takes(const RunOption& option, Mode mode) { return (option.modes & ModeBit(mode)) != 0; }

/// Splits "--name=value" into `name` and `value`; false when nothing is attached.
bool SplitAttachedValue(std::string* name, std::string* value) {
  const size_t equals = name->find('=');
  if (name->rfind("--", 0) != 0 || equals == std::string::npos) return false;
  *value = name->substr(equals + 1);
  name->resize(equals);
  return true;
}

/// Reads the option at list[*i], and its value after it if any; false with args->error set.
bool ReadOption(const std::vector<std::string>& list, size_t* i, RunArgs* args, Given* given) {
  std::string name = list[*i];
  std::string value;
  const bool attached = SplitAttachedValue(&name, &value);
  const RunOption* option = FindRunOption(name);
  if (!option || (attached && !option->value))
    return args->error = "unknown option: " + list[*i], false;
  if (option->value && !attached) {
    if (*i + 1 == list.size()) return args->error = name + " needs a value", false;
    value = list[++*i];
  }
  if (!option->apply(value, args)) {
    args->error =
        option->badValue ? option->badValue + value : "bad value for " + name + ": " + value;
    return false;
  }
  // Naming the same mode twice is harmless, but a second schedule action is not.
  if (option->selects != Mode::kUsageError) {
    if (option->value || args->mode != option->selects) ++given->modes;
    args->mode = option->selects;
  }
  given->options.push_back(option);
  return true;
}

/// Reads the options into `args` and the rest into `paths`; false with args->error set.
bool ReadOptions(const std::vector<std::string>& list, RunArgs* args,
                 std::vector<std::string>* paths, Given* given) {
  bool options_done = false;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& arg = list[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      paths->push_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (!ReadOption(list, &i, args, given)) {
      return false;
    }
  }
  return true;
}

bool CheckPatterns(RunArgs* args) {
  Exclusions exclusions;
  for (const std::string& text : args->excludes) {
    std::string why;
    if (!exclusions.Add(text, &why)) {
      args->error = "bad pattern \"" + text + "\": " + why;
      return false;
    }
  }
  return true;
}

/// "--a, --b and --c go alone", of the options that choose a mode.
std::string GoAloneError() {
  std::vector<std::string> names;
  for (const RunOption& option : RunOptions())
    if (option.selects != Mode::kUsageError) names.push_back(option.name);
  std::string text;
  for (size_t i = 0; i < names.size(); ++i)
    text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return text + " go alone";
}

/// Without an option that chooses one: the settings file's backup when nothing asks for more.
Mode ImpliedMode(const std::vector<std::string>& paths, const Given& given) {
  if (!paths.empty()) return Mode::kBackup;
  for (const RunOption* option : given.options)
    if (!Takes(*option, Mode::kBackupFromSettings)) return Mode::kBackup;
  return Mode::kBackupFromSettings;
}

/// Gives each path its place in `args`; false when their number does not fit the mode.
bool TakePaths(const RunMode& mode, const std::vector<std::string>& paths, RunArgs* args) {
  size_t fixed = 0;
  while (fixed < std::size(mode.paths) && mode.paths[fixed] != PathRole::kNone) ++fixed;
  if (paths.size() < fixed || (!mode.morePaths && paths.size() > fixed)) return false;
  for (size_t i = 0; i < paths.size(); ++i) {
    const PathRole role = i < fixed ? mode.paths[i] : PathRole::kPath;
    if (role == PathRole::kSource) args->source = paths[i];
    if (role == PathRole::kTarget) args->target = paths[i];
    if (role == PathRole::kDest) args->dest = paths[i];
    if (role == PathRole::kPath) args->paths.push_back(paths[i]);
  }
  return true;
}

/// Checks the paths and options against the mode; the error when they do not fit, else "".
std::string CheckMode(RunArgs* args, const std::vector<std::string>& paths, const Given& given) {
  for (const std::string& path : paths)
    if (path.empty()) return "an empty path names no folder";
  if (given.modes > 1) return GoAloneError();
  if (args->mode == Mode::kUsageError) args->mode = ImpliedMode(paths, given);
  const RunMode& mode = *FindRunMode(args->mode);
  // By kind of refusal first, so that the error does not hang on the options' order.
  for (int kind = 0; kind <= static_cast<int>(Refusal::kModeMisfit); ++kind)
    for (const RunOption* option : given.options)
      if (static_cast<int>(option->refusal) == kind && !Takes(*option, args->mode))
        return option->refusal == Refusal::kModeMisfit ? mode.misfit : RefusalText(option->refusal);
  return TakePaths(mode, paths, args) ? "" : mode.misfit;
}

}  // namespace

RunArgs ParseRunArgs(const std::vector<std::string>& list) {
  for (const std::string& arg : list) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      RunArgs help;
      help.mode = RunArgs::Mode::kHelp;
      return help;
    }
  }
  RunArgs args;
  std::vector<std::string> paths;
  Given given;
  if (!ReadOptions(list, &args, &paths, &given)) return UsageError(args.error);
  if (!CheckPatterns(&args)) return UsageError(args.error);
  const std::string error = CheckMode(&args, paths, given);
  if (!error.empty()) return UsageError(error);
  return args;
}

}  // namespace qs
