// A prune of the three version folders of VersionedRuns(), keeping the newest one or two. The
// folders kept must be whole in every crash state; a folder being removed may be partly gone,
// but never under its own name, where it would look whole; a rerun finishes the removal.
#include <map>

#include "cli/prune_command.h"
#include "engine/paths.h"
#include "engine/version_retention.h"
#include "engine/version_store.h"
#include "tests/crash/crash_operations.h"

namespace qs::test {

namespace {

class PruneCase : public OperationCase {
 public:
  PruneCase(bool whole, int keep_last) : whole_(whole) {
    args_.mode = RunArgs::Mode::kPrune;
    args_.target = TargetRoot();
    args_.keep.last = keep_last;
  }

  std::string Name() const override {
    return "prune, keep the last " + std::to_string(args_.keep.last) +
           (whole_ ? " (whole-volume flush)" : " (flush by file and folder)");
  }

  std::unique_ptr<CrashFileSystem> Prepare(FakeClock& clock) override {
    const Workload runs{"versions", true, whole_, VersionedRuns(), {}, {}};
    std::unique_ptr<CrashFileSystem> fs = PrepareWorkload(runs, clock);
    before_ = ViewTarget(fs->Live());
    std::vector<VersionStamp> stamps;
    for (const auto& [folder, tree] : before_.versions) {
      stamps.emplace_back();
      ParseVersionFolderName(folder, &stamps.back());
    }
    const std::vector<bool> keep = VersionsToKeep(stamps, args_.keep);
    size_t i = 0;
    for (const auto& [folder, tree] : before_.versions)
      (keep[i++] ? kept_ : removed_)[folder] = tree;
    return fs;
  }

  void Run(CrashFileSystem& fs, FakeClock& clock, std::vector<Violation>* found) override {
    std::string log;
    if (removed_.empty() || kept_.empty())
      found->push_back({Invariant::kPruneCompletes, "the workload removes or keeps nothing"});
    if (RunCommandOn(RunPruneCommand, args_, fs, clock, &log) != 0)
      found->push_back({Invariant::kPruneCompletes, "the prune failed: " + log});
  }

  std::string Key(const CrashImage& crashed, uint64_t) const override {
    return ImageKey(crashed, {TargetRoot()});
  }

  void CheckCrash(const CrashImage& crashed, uint64_t,
                  std::vector<Violation>* found) const override {
    const TargetView view = ViewTarget(crashed);
    for (const auto& [folder, tree] : kept_) {
      const auto now = view.versions.find(folder);
      if (now == view.versions.end() || now->second != tree)
        found->push_back({Invariant::kKeptVersionWhole, folder + " is not whole"});
    }
    for (const auto& [folder, tree] : removed_) {
      const auto now = view.versions.find(folder);
      if (now != view.versions.end() && now->second != tree)
        found->push_back({Invariant::kKeptVersionWhole, folder + " is half gone under its name"});
    }
    CheckCurrent(view, found);
  }

  void CheckRerun(CrashFileSystem& rebooted, FakeClock& clock,
                  std::vector<Violation>* found) override {
    std::string log;
    if (RunCommandOn(RunPruneCommand, args_, rebooted, clock, &log) != 0)
      found->push_back({Invariant::kPruneCompletes, "the rerun failed: " + log});
    const TargetView after = ViewTarget(rebooted.Live());
    if (after.versions != kept_)
      found->push_back({Invariant::kPruneCompletes, "other version folders than those kept"});
    if (after.current != before_.current)
      found->push_back({Invariant::kPruneCompletes, "the rerun left more than the backup"});
  }

 private:
  /// The backup's own files are untouched; a folder set aside holds only what it held.
  void CheckCurrent(const TargetView& view, std::vector<Violation>* found) const {
    for (const auto& [relative, copy] : view.current) {
      if (relative.rfind(kRemovingPrefix, 0) != 0) {
        const auto old = before_.current.find(relative);
        if (old == before_.current.end() || old->second != copy)
          found->push_back({Invariant::kKeptVersionWhole, relative + " of the backup changed"});
        continue;
      }
      const size_t slash = relative.find('/');
      const std::string folder =
          relative.substr(sizeof(kRemovingPrefix) - 1, slash - (sizeof(kRemovingPrefix) - 1));
      const std::string inside = slash == std::string::npos ? "" : relative.substr(slash + 1);
      const auto was = before_.versions.find(folder);
      if (inside == "README.txt" || kept_.count(folder) != 0) {
        if (kept_.count(folder) != 0)
          found->push_back({Invariant::kKeptVersionWhole, folder + ", kept, is set aside"});
        continue;
      }
      if (was == before_.versions.end() || was->second.count(inside) == 0 ||
          was->second.at(inside) != copy)
        found->push_back({Invariant::kKeptVersionWhole, relative + " is no file it held"});
    }
    for (const auto& [relative, copy] : before_.current)
      if (view.current.count(relative) == 0)
        found->push_back({Invariant::kKeptVersionWhole, relative + " of the backup is gone"});
  }

  const bool whole_;
  RunArgs args_;
  TargetView before_;
  std::map<std::string, Tree> kept_, removed_;
};

}  // namespace

std::unique_ptr<OperationCase> MakePruneCase(bool whole_volume_flush, int keep_last) {
  return std::make_unique<PruneCase>(whole_volume_flush, keep_last);
}

}  // namespace qs::test
