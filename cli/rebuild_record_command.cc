#include "cli/rebuild_record_command.h"

#include "cli/version_target.h"
#include "engine/record_rebuild.h"

namespace qs {

int RunRebuildRecordCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget target;
  std::string why;
  if (!OpenVersionTarget(context, args.target, false, &target, &why))
    return UsageError(context, why);
  return RebuildRecord(context.fs, *context.log.clock, target.folder,
                       [&context](const std::string& line) { context.Log(line); });
}

}  // namespace qs
