// --versions: each kept copy of one file, with when it was written and, for a version
// folder's, when the run of that folder replaced it.
#include <cstdio>

#include "cli/restore_command.h"
#include "cli/version_target.h"
#include "engine/version_store.h"
#include "log/log_time.h"

namespace qs {

namespace {

/// "current", or the folder's name and the moment of its run: "backup_20261202_100000,
/// replaced 2026-12-02 10:00:00".
std::string WhereKept(const KeptCopy& copy) {
  if (!copy.replaced) return "current";
  VersionStamp s;
  if (!ParseVersionFolderName(copy.folder, &s)) return copy.folder;
  char moment[32];
  std::snprintf(moment, sizeof moment, "%04d-%02d-%02d %02d:%02d:%02d", s.year, s.month, s.day,
                s.hour, s.minute, s.second);
  return copy.folder + ", replaced " + moment;
}

}  // namespace

int RunVersionsCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why, relative;
  if (!ReadPathBelowRoots(args.paths[0], &relative, &why)) return UsageError(context, why);
  if (!OpenVersionTarget(context, args.target, true, &opened, &why))
    return UsageError(context, why);
  std::vector<KeptCopy> copies = KeptCopiesOf(context.fs, opened.folder, opened.versions, relative);
  // A version folder's own README.txt is no copy of a file, as a restore has it too.
  if (relative == "README.txt") std::erase_if(copies, [](const KeptCopy& c) { return c.replaced; });
  std::ostream& out = *context.log.console;
  for (const KeptCopy& copy : copies)
    out << FileTimeText(copy.lastWrite) << "  " << copy.size << " bytes  " << WhereKept(copy)
        << "\n";
  if (copies.empty()) out << "No copy of " << relative << " is kept in " << opened.folder << "\n";
  out.flush();
  return copies.empty() ? 1 : 0;
}

}  // namespace qs
