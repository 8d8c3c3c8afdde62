// Trees of a few files each, with an empty file, one of a few kilobytes (so that a torn write
// tears inside it), nested folders and a folder that appears only with the update.
#include "tests/crash/crash_workloads.h"

#include <cerrno>
#include <sstream>

#include "engine/backup_run.h"
#include "engine/paths.h"
#include "log/run_events.h"
#include "tests/support/backup_logs.h"

namespace qs::test {

namespace {

constexpr int64_t kHourTicks = int64_t{3600} * 10000000;

class NotSavedObserver : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& event) override {
    if (event.kind == RunEventKind::kVersionNotSaved) paths.emplace_back(event.path);
  }
  std::vector<std::string> paths;
};

std::string Pattern(size_t size, char seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + (i * 7) % 23);
  return bytes;
}

/// Besides the named files, `count` small ones spread over three folders, dated from `time`.
void AddSmallFiles(std::vector<TreeFile>* files, int count, const std::string& tag, int64_t time) {
  static const char* const kFolders[] = {"docs/", "pics/", "docs/deep/"};
  for (int i = 0; i < count; ++i)
    files->push_back({std::string(kFolders[i % 3]) + "f" + std::to_string(i) + ".txt",
                      tag + " " + std::to_string(i) + "\n", time + i});
}

std::vector<TreeFile> FirstTree() {
  std::vector<TreeFile> files = {{"a.txt", "alpha, the first file of the tree\n", 1700000001},
                                 {"empty.txt", "", 1700000002},
                                 {"big.bin", Pattern(3000, 'A'), 1700000003},
                                 {"docs/b.txt", "bravo in a folder\n", 1700000004},
                                 {"docs/deep/c.txt", "charlie two folders down\n", 1700000005},
                                 {"pics/d.jpg", Pattern(300, 'a'), 1700000006}};
  AddSmallFiles(&files, 12, "first", 1700000100);
  return files;
}

std::vector<TreeFile> FirstChanges() {
  std::vector<TreeFile> files = {
      {"a.txt", "alpha, changed and longer than it was before\n", 1700100001},
      {"empty.txt", "no longer empty\n", 1700100002},
      {"big.bin", Pattern(2500, 'K'), 1700100003},
      {"docs/b.txt", "", 1700100004},
      {"new/e.txt", "echo in a folder of its own\n", 1700100005},
      {"new/deeper/g.txt", "golf further down\n", 1700100006}};
  AddSmallFiles(&files, 6, "changed", 1700100100);
  return files;
}

std::vector<TreeFile> SecondChanges() {
  std::vector<TreeFile> files = {{"a.txt", "alpha, changed a second time\n", 1700200001},
                                 {"docs/b.txt", "bravo back again\n", 1700200004},
                                 {"pics/d.jpg", Pattern(400, 'z'), 1700200006}};
  AddSmallFiles(&files, 3, "again", 1700200100);
  return files;
}

std::vector<TreeFile> ThirdChanges() {
  std::vector<TreeFile> files = {{"big.bin", Pattern(3500, 'Q'), 1700300003},
                                 {"new/e.txt", "echo a third time\n", 1700300005}};
  AddSmallFiles(&files, 2, "third", 1700300100);
  return files;
}

void PutTree(CrashFileSystem& fs, const std::vector<TreeFile>& files) {
  for (const TreeFile& file : files)
    fs.PutFile(SourceRoot() + Native("/" + file.relative), file.bytes, Seconds(file.seconds));
}

uint64_t CallsOfKind(const Workload& workload, CrashCall call) {
  FakeClock clock;
  std::unique_ptr<CrashFileSystem> fs = PrepareWorkload(workload, clock);
  RunBackupOn(*fs, clock, workload.timeVersioning);
  uint64_t count = 0;
  for (CrashCall made : fs->Calls()) count += made == call ? 1 : 0;
  return count;
}

}  // namespace

std::string SourceRoot() { return Native("/src"); }
std::string TargetRoot() { return Native("/vol/backups/dst"); }

RunOutcome RunBackupOn(FileSystem& fs, FakeClock& clock, bool time_versioning) {
  std::ostringstream console;
  NotSavedObserver observer;
  BackupOptions request = BackupOptions::Of(SourceRoot(), TargetRoot(), time_versioning);
  request.tuning.fileThreads = 1;
  BackupLogs logs(nullptr, nullptr, clock, &console);
  logs.observers.push_back(&observer);
  return {RunBackup(fs, clock, request, logs), observer.paths};
}

std::unique_ptr<CrashFileSystem> PrepareWorkload(const Workload& workload, FakeClock& clock) {
  auto fs = std::make_unique<CrashFileSystem>(
      CrashSettings{.stableRoots = {SourceRoot()}, .wholeVolumeFlush = workload.wholeVolumeFlush});
  // The target's volume is there; the folders of the target root are made by the first run.
  fs->PutFolder(ParentPath(ParentPath(TargetRoot())));
  for (const std::vector<TreeFile>& files : workload.earlierRuns) {
    PutTree(*fs, files);
    RunBackupOn(*fs, clock, workload.timeVersioning);
    clock.SetWallTicks(clock.WallTicks() + kHourTicks);
    fs = fs->Reboot(fs->Live());  // a clean shutdown: everything on the disk
  }
  PutTree(*fs, workload.changes);
  return fs;
}

std::vector<std::vector<TreeFile>> VersionedRuns() {
  return {FirstTree(), FirstChanges(), SecondChanges(), ThirdChanges()};
}

std::vector<Workload> StandardWorkloads(bool failures) {
  std::vector<Workload> all;
  for (const bool whole : {true, false}) {
    const std::string volume = whole ? " (whole-volume flush)" : " (flush by file and folder)";
    all.push_back({"first backup" + volume, false, whole, {}, FirstTree(), {}});
    all.push_back({"update" + volume, false, whole, {FirstTree()}, FirstChanges(), {}});
    all.push_back(
        {"update, time versioning" + volume, true, whole, {FirstTree()}, FirstChanges(), {}});
    all.push_back({"second update, time versioning" + volume,
                   true,
                   whole,
                   {FirstTree(), FirstChanges()},
                   SecondChanges(),
                   {}});
  }
  if (!failures) return all;
  std::vector<Workload> failing;
  for (const Workload& workload : all) {
    if (!workload.timeVersioning) continue;
    for (const CrashCall call : {CrashCall::kFlush, CrashCall::kSyncVolume,
                                 CrashCall::kSyncDirectory, CrashCall::kWriteWholeFile}) {
      const uint64_t count = CallsOfKind(workload, call);
      for (uint64_t nth = 1; nth <= count; ++nth) {
        Workload fails = workload;
        fails.name += ", " + std::string(CrashCallName(call)) + " " + std::to_string(nth) + "/" +
                      std::to_string(count) + " fails";
        fails.failure = {call, nth, EIO};
        failing.push_back(fails);
      }
    }
  }
  all.insert(all.end(), failing.begin(), failing.end());
  return all;
}

}  // namespace qs::test
