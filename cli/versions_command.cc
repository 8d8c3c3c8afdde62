#include "cli/restore_command.h"
#include "cli/typed_path.h"
#include "engine/file_versions.h"
#include "log/operation_lines.h"

namespace qs {

int RunVersionsCommand(const RunArgs& args, const RunnerContext& context) {
  VersionsRequest request{args.target, ""};
  std::string why;
  if (!ReadPathBelowRoots(args.paths[0], &request.relative, &why)) return UsageError(context, why);
  // The listing itself stays on standard output as it is; the word about the record beside it.
  OperationLines beside([&context](const std::string& line) { context.error << line << "\n"; });
  const VersionsResults results = ListFileVersions(context.fs, *context.log.clock, request, beside);
  if (results.refused) return UsageError(context, results.why);
  std::ostream& out = *context.log.console;
  for (const std::string& line : results.listing) out << line << "\n";
  out.flush();
  return results.ExitStatus();
}

}  // namespace qs
