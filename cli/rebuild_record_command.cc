#include "cli/rebuild_record_command.h"

#include "engine/record_rebuild.h"
#include "engine/version_target.h"

namespace qs {

int RunRebuildRecordCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget target;
  std::string why;
  if (!OpenVersionTarget(context.fs, args.target, false, &target, &why))
    return UsageError(context, why);
  return RebuildRecord(context.fs, *context.log.clock, target.folder,
                       [&context](const std::string& line) { context.Log(line); });
}

}  // namespace qs
