// A target on a real temporary tree for the tests of prune, restore and a file's versions:
// its files and version folders, its record, and the events an operation reports, with the log
// lines they make.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/record_facts.h"
#include "engine/record_listing.h"
#include "engine/record_store.h"
#include "log/operation_lines.h"
#include "log/run_events.h"
#include "os/clock.h"
#include "os/content_hash.h"
#include "tests/support/test_support.h"

namespace qs::test {

/// An event as an operation reported it, with its views copied.
struct HeardEvent {
  RunEventKind kind;
  std::string path, other;
  uint32_t code = 0;
  LeftOutReason reason = LeftOutReason::kNone;
  FileTime moment;
  std::optional<PruneCounts> prune;
  std::optional<RestoreCounts> restore;
};

/// Keeps every event an operation reports and the lines the runner's log makes of them.
class HeardOperation : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& e) override {
    HeardEvent& heard = events.emplace_back(HeardEvent{
        e.kind, std::string(e.path), std::string(e.other), e.code, e.reason, e.moment, {}, {}});
    if (e.prune) heard.prune = *e.prune;
    if (e.restore) heard.restore = *e.restore;
    OperationLinesOf(e, [this](const std::string& line) { lines.push_back(line); });
  }
  /// The events of `kind`, in order.
  std::vector<HeardEvent> Of(RunEventKind kind) const {
    std::vector<HeardEvent> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [kind](const HeardEvent& e) { return e.kind == kind; });
    return found;
  }
  void Clear() { events.clear(), lines.clear(); }

  std::vector<HeardEvent> events;
  std::vector<std::string> lines;
};

class TargetFixture : public ::testing::Test {
 protected:
  std::string Target() { return dir_ / "tgt/"; }
  /// A path below the temporary directory, native.
  std::string At(const std::string& relative) { return Native(dir_ / relative); }
  void Put(const std::string& relative, const std::string& bytes, FileTime written) {
    WriteFile(dir_ / relative, bytes, written);
  }
  /// A version folder of the target as a run leaves it: the folder and its README.
  void MakeVersion(const std::string& name) {
    Put("tgt/" + name + "/README.txt", "Time Version Backup\n", Seconds(1000));
  }
  /// A run in the target's record that changed `before` into `after`, ending at `end_ticks`,
  /// with every copy it replaced saved in `folder` (none when it is "").
  void AppendRun(uint64_t number, const Listing& before, const Listing& after,
                 const std::string& folder, int64_t end_ticks) {
    RunFact run;
    run.number = number;
    run.startTicks = end_ticks - 10 * 10000000;
    run.endTicks = end_ticks;
    run.sourceRoot = dir_ / "src/";
    run.versionFolder = folder;
    run.fullListing = before.empty();
    run.changes = Diff(before, after);
    for (ListingChange& change : run.changes)
      change.versionSaved = !folder.empty() && std::any_of(before.begin(), before.end(),
                                                           [&](const RecordedFile& file) {
                                                             return file.path == change.file.path;
                                                           });
    RecordStore store = RecordStore::Open(RealFs(), Target());
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(RealFs(), FrameKind::kRun, EncodeRun(run), &code)) << code;
  }
  /// The moment of a local time, as version folders' names give them.
  static FileTime Local(int year, int month, int day, int hour, int minute) {
    int64_t seconds = 0;
    EXPECT_TRUE(FromLocalTime({year, month, day, hour, minute, 0}, &seconds));
    return {seconds, 0};
  }
  static RecordedFile Entry(const std::string& path, const std::string& bytes, FileTime written) {
    return {path, bytes.size(), written, true, HashOf(bytes)};
  }

  ScopedTempDir dir_;
  FakeClock clock_;
  HeardOperation log_;
  std::vector<std::string>& lines_ = log_.lines;
};

}  // namespace qs::test
