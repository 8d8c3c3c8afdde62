#include "cli/prune_command.h"

#include "engine/prune_versions.h"
#include "log/operation_lines.h"

namespace qs {

int RunPruneCommand(const RunArgs& args, const RunnerContext& context) {
  const PruneRequest request{args.target, args.keep, args.dryRun};
  OperationLines lines([&context](const std::string& line) { context.Log(line); });
  const PruneResults results = PruneVersions(context.fs, *context.log.clock, request, lines);
  if (results.refused) return UsageError(context, results.why);
  return results.ExitStatus();
}

}  // namespace qs
