// The roots are normalised as the options are handed out, by the same function a run applies
// to options built any other way, so both forms agree byte for byte.
#include "engine/backup_request.h"

#include <utility>

#include "engine/paths.h"

namespace qs {

BackupRequest::BackupRequest(std::string source, std::string target, bool time_versioning) {
  options_.sourceRoot = std::move(source);
  options_.targetRoot = std::move(target);
  options_.timeVersioningOn = time_versioning;
}

BackupRequest& BackupRequest::Excluding(Exclusions exclusions) {
  options_.exclusions = std::move(exclusions);
  return *this;
}

BackupRequest& BackupRequest::DryRun(bool on) {
  options_.dryRun = on;
  return *this;
}

BackupRequest& BackupRequest::MeasuringSizes(bool on) {
  options_.measureSizes = on;
  return *this;
}

BackupRequest& BackupRequest::AcceptingUnkeptTimes(bool on) {
  options_.acceptUnkeptTimes = on;
  return *this;
}

BackupRequest& BackupRequest::Tuned(BackupTuning tuning) {
  options_.tuning = std::move(tuning);
  return *this;
}

BackupOptions BackupRequest::Build() const& { return WithRootSeparators(options_); }

BackupOptions BackupRequest::Build() && { return WithRootSeparators(std::move(options_)); }

BackupOptions WithRootSeparators(BackupOptions options) {
  options.sourceRoot = WithTrailingSeparator(options.sourceRoot);
  options.targetRoot = WithTrailingSeparator(options.targetRoot);
  return options;
}

}  // namespace qs
