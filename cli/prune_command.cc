#include "cli/prune_command.h"

#include "engine/prune_versions.h"

namespace qs {

int RunPruneCommand(const RunArgs& args, const RunnerContext& context) {
  const PruneRequest request{args.target, args.keep, args.dryRun};
  const PruneResults results =
      PruneVersions(context.fs, *context.log.clock, request, context.LogLines());
  if (results.refused) return UsageError(context, results.why);
  return results.ExitStatus();
}

}  // namespace qs
