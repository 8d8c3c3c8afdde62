#include "cli/restore_command.h"

#include <cstdio>

#include "cli/typed_path.h"
#include "engine/tree_restore.h"
#include "log/operation_lines.h"

namespace qs {

namespace {

/// The moment of --as-of; false with the reason when it names none.
bool ReadMoment(const RunArgs& args, std::optional<FileTime>* moment, std::string* why) {
  if (!args.hasAsOf) return true;
  int64_t seconds = 0;
  if (!FromLocalTime(args.asOf, &seconds)) {
    const LocalTime& t = args.asOf;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    *why = "the --as-of time " + std::string(text) +
           " does not exist in local time (the clocks skipped it)";
    return false;
  }
  *moment = FileTime{seconds, 0};
  return true;
}

/// The PATHs below the roots; false with the usage message when one is no such path.
bool ReadWanted(const RunArgs& args, std::vector<std::string>* wanted, std::string* why) {
  for (const std::string& typed : args.paths) {
    std::string relative;
    if (!ReadPathBelowRoots(typed, &relative, why)) return false;
    wanted->push_back(relative);
  }
  return true;
}

}  // namespace

int RunRestoreCommand(const RunArgs& args, const RunnerContext& context) {
  RestoreRequest request{args.target, args.dest, {}, {}};
  std::string why;
  if (!ReadWanted(args, &request.paths, &why) || !ReadMoment(args, &request.moment, &why))
    return UsageError(context, why);
  OperationLines lines([&context](const std::string& line) { context.Log(line); });
  const RestoreResults results = RestoreTree(context.fs, *context.log.clock, request, lines);
  if (results.refused) return UsageError(context, results.why);
  return results.ExitStatus();
}

}  // namespace qs
