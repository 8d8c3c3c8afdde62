// An operation the window starts (prune, check, restore, a file's versions) on a worker
// thread of its own, as a backup runs: its lines go to the backup log as a run's entries do,
// and the target it works in is claimed for its whole length.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "engine/check_events.h"
#include "log/run_events.h"
#include "schedule/run_seams.h"
#include "schedule/target_claims.h"

namespace qs {

/// What the claims are held for; the refusal's sentence says what the holder is doing.
inline constexpr char kBackupClaim[] = "a backup";
inline constexpr char kPruneClaim[] = "a prune";
inline constexpr char kCheckClaim[] = "a check";
inline constexpr char kRestoreClaim[] = "a restore";

/// "Not started: a backup is writing to /target." (a restore is reading from it).
std::string NotStartedLine(const std::string& holder, const std::string& target);

/// Claims `target` for `what` in the claims of `seams` (none: nothing is claimed). Null, with
/// the refusal's sentence in the backup log, when another operation holds it.
std::shared_ptr<const void> ClaimOrSay(const RunSeams& seams, const std::string& target,
                                       const std::string& what);

/// The backup log of one operation: each line timestamped as a run's entries are, the
/// events' lines in the window's words; the lines about one file in the file log too.
class OperationLog : public RunObserver, public CheckObserver {
 public:
  explicit OperationLog(RunSeams seams) : seams_(std::move(seams)) {}
  void OnRunEvent(const RunEvent& event) override;
  void OnCheckEvent(const CheckEvent& event) override;
  void Write(const std::string& line) const;

 private:
  const RunSeams seams_;
};

struct OperationStart {
  /// The claim's `what` (kPruneClaim...); empty: the operation only reads, nothing is claimed.
  std::string claimFor;
  std::string target;  ///< the target as typed
};

/// Runs on the worker with the operation's log and the seams' services.
using OperationWork = std::function<void(OperationLog& log, const JobServices& services)>;

/// Claims the target on the caller's thread, then runs `work` and `finished` on a thread of
/// its own, which holds the claim until `work` has returned and the seams' presence ticket
/// until it ends. False, with nothing started and `finished` never called, when the target is
/// held (the backup log then says by what) or no thread could be started.
bool StartOperation(const RunSeams& seams, const OperationStart& start, OperationWork work,
                    std::function<void()> finished = {});

}  // namespace qs
