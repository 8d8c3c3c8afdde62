// Facts appended to the record one after another: into a target without a record, and onto a
// journal whose end an earlier append left torn. In every crash state the journal must give
// the facts in order, each whole, at least those whose append had returned; an append after
// the reboot must be read back, from the disk too.
#include <algorithm>

#include "engine/paths.h"
#include "engine/record_facts.h"
#include "engine/record_store.h"
#include "tests/crash/crash_operations.h"

namespace qs::test {

namespace {

struct Fact {
  FrameKind kind;
  std::string payload;
};

/// Runs of a few bytes and of a few kilobytes (so that a torn write tears inside a frame), a
/// prune and a check between them.
std::vector<Fact> Facts(uint64_t first_run) {
  std::vector<Fact> facts;
  for (uint64_t i = 0; i < 4; ++i) {
    RunFact run;
    run.number = first_run + i;
    run.startTicks = 17672256000000000 + static_cast<int64_t>(i) * 36000000000;
    run.endTicks = run.startTicks + 30000000;
    run.sourceRoot = "/src/";
    run.copied = static_cast<int64_t>(i);
    for (uint64_t n = 0; n < (i % 2 == 1 ? 60 : 0); ++n)
      run.failedPaths.push_back("docs/a file that failed number " + std::to_string(n) + ".txt");
    run.failedCount = run.failedPaths.size();
    facts.push_back({FrameKind::kRun, EncodeRun(run)});
    if (i == 1) facts.push_back({FrameKind::kPrune, EncodePrune({17672256000000001, {"b_1"}})});
  }
  CheckFact check;
  check.ticks = 17672256000000002;
  check.bytesRead = 4096;
  facts.push_back({FrameKind::kCheck, EncodeCheck(check)});
  return facts;
}

std::string JournalPath() {
  return TargetRoot() + kPathSeparator + kRecordFolderName + kPathSeparator + kJournalFileName;
}

/// The journal's contents in `image`; `*there` tells whether it exists.
JournalContents JournalIn(const CrashImage& image, bool* there) {
  const uint64_t node = image.Resolve(JournalPath());
  *there = node != kNoNode && !image.node(node).directory;
  return *there ? ReadJournal(image.node(node).data) : JournalContents{};
}

class RecordCase : public OperationCase {
 public:
  RecordCase(bool whole, bool torn_start) : whole_(whole), torn_start_(torn_start) {}

  std::string Name() const override {
    return std::string("record appends") + (torn_start_ ? " after a torn end" : ", new record") +
           (whole_ ? " (whole-volume flush)" : " (flush by file and folder)");
  }

  std::unique_ptr<CrashFileSystem> Prepare(FakeClock&) override {
    auto fs = std::make_unique<CrashFileSystem>(
        CrashSettings{.stableRoots = {SourceRoot()}, .wholeVolumeFlush = whole_});
    fs->PutFolder(TargetRoot());
    if (torn_start_) {
      // One whole fact, then half of the next: an append cut short before this run.
      const std::vector<Fact> earlier = Facts(1);
      expected_.push_back(earlier[0]);
      const std::string torn = EncodeFrame(earlier[1].kind, earlier[1].payload);
      fs->PutFile(JournalPath(),
                  std::string(kJournalMagic) + EncodeFrame(earlier[0].kind, earlier[0].payload) +
                      torn.substr(0, torn.size() / 2),
                  Seconds(1700000000));
    }
    durable_before_ = expected_.size();
    return fs;
  }

  void Run(CrashFileSystem& fs, FakeClock&, std::vector<Violation>* found) override {
    RecordStore store = RecordStore::Open(fs, WithTrailingSeparator(TargetRoot()));
    for (const Fact& fact : Facts(torn_start_ ? 2 : 1)) {
      uint32_t code = 0;
      if (!store.Append(fs, fact.kind, fact.payload, &code))
        return found->push_back({Invariant::kRecordReadsBack, "an append failed"});
      expected_.push_back(fact);
      returned_at_.push_back(fs.CallCount());
    }
  }

  std::string Key(const CrashImage& crashed, uint64_t point) const override {
    return ImageKey(crashed, {TargetRoot()}) + std::to_string(Returned(point));
  }

  void CheckCrash(const CrashImage& crashed, uint64_t point,
                  std::vector<Violation>* found) const override {
    bool there = false;
    const JournalContents contents = JournalIn(crashed, &there);
    const size_t must = durable_before_ + Returned(point);
    if (contents.foreign && there)
      return found->push_back({Invariant::kRecordReadsBack, "the journal has no header"});
    CheckFrames(contents, must, found);
  }

  void CheckRerun(CrashFileSystem& rebooted, FakeClock&, std::vector<Violation>* found) override {
    RecordStore store = RecordStore::Open(rebooted, WithTrailingSeparator(TargetRoot()));
    if (store.found() == RecordStore::Found::kUnreadable ||
        store.found() == RecordStore::Found::kForeign)
      return found->push_back({Invariant::kRecordAppendsAgain, "the record is not read"});
    bool there = false;
    const size_t before = JournalIn(rebooted.Live(), &there).frames.size();
    CheckFact check;
    check.ticks = 17672256999999999;
    const Fact later{FrameKind::kCheck, EncodeCheck(check)};
    uint32_t code = 0;
    if (!store.Append(rebooted, later.kind, later.payload, &code))
      return found->push_back({Invariant::kRecordAppendsAgain, "the append after it failed"});
    for (const CrashImage& image : {rebooted.Live(), rebooted.ImageAt(rebooted.CallCount(), {})}) {
      const JournalContents contents = JournalIn(image, &there);
      if (contents.torn || contents.frames.size() != before + 1 ||
          contents.frames.back().payload != later.payload)
        found->push_back({Invariant::kRecordAppendsAgain, "the later append is not read back"});
    }
  }

 private:
  /// How many appends had returned by crash point `point`.
  size_t Returned(uint64_t point) const {
    return static_cast<size_t>(std::upper_bound(returned_at_.begin(), returned_at_.end(), point) -
                               returned_at_.begin());
  }

  /// The facts read are the first ones appended, each whole, at least `must` of them.
  void CheckFrames(const JournalContents& contents, size_t must,
                   std::vector<Violation>* found) const {
    if (contents.frames.size() < must)
      found->push_back({Invariant::kRecordReadsBack, std::to_string(contents.frames.size()) +
                                                         " facts read, " + std::to_string(must) +
                                                         " had been appended"});
    for (size_t i = 0; i < contents.frames.size(); ++i) {
      if (i < expected_.size() && contents.frames[i].kind == expected_[i].kind &&
          contents.frames[i].payload == expected_[i].payload)
        continue;
      return found->push_back(
          {Invariant::kRecordReadsBack, "fact " + std::to_string(i) + " is not the one appended"});
    }
  }

  const bool whole_, torn_start_;
  std::vector<Fact> expected_;
  size_t durable_before_ = 0;
  std::vector<uint64_t> returned_at_;
};

}  // namespace

std::unique_ptr<OperationCase> MakeRecordCase(bool whole_volume_flush, bool torn_start) {
  return std::make_unique<RecordCase>(whole_volume_flush, torn_start);
}

}  // namespace qs::test
