// Pruning on real temporary trees: a folder no rule keeps goes aside, the record hears of it,
// and only then is it deleted; leftovers of a cut-short removal are finished; a dry run and a
// folder the record cannot hear of leave everything whole.
#include "engine/prune_versions.h"

#include <gtest/gtest.h>

#include "engine/record_store.h"
#include "os/error_text.h"
#include "tests/engine/target_fixture.h"

namespace qs {
namespace {

using test::Seconds;

constexpr char kOld[] = "backup_20261201_100000";
constexpr char kMid[] = "backup_20261201_110000";
constexpr char kNew[] = "backup_20261201_120000";

/// Refuses chosen renames, and notes what the record said the moment the first file went.
class WatchedFileSystem : public test::FaultyFileSystem {
 public:
  bool Rename(const std::string& from, const std::string& to) override {
    events.push_back("rename " + from + " " + to);
    if (refuseRename) return failed_ = true, false;
    return real_.Rename(from, to);
  }
  bool RemoveFile(const std::string& path) override {
    if (prunesWhenFirstRemoved < 0)
      prunesWhenFirstRemoved =
          static_cast<int>(RecordStore::Open(real_, target).history().prunes().size());
    events.push_back("remove " + path);
    return real_.RemoveFile(path);
  }
  uint32_t LastErrorCode() override { return failed_ ? 5 : FaultyFileSystem::LastErrorCode(); }

  std::string target;
  bool refuseRename = false;
  int prunesWhenFirstRemoved = -1;
  std::vector<std::string> events;

 private:
  bool failed_ = false;
};

class PruneVersionsTest : public test::TargetFixture {
 protected:
  void SetUp() override {
    for (const char* name : {kOld, kMid, kNew}) {
      MakeVersion(name);
      Put(std::string("tgt/") + name + "/a.txt", "12345", Seconds(500));
    }
    Put("tgt/a.txt", "current", Seconds(900));
    AppendRun(1, {}, {Entry("a.txt", "current", Seconds(900))}, "", 77);
    fs_.target = Target();
  }
  PruneResults Prune(int last, bool dry_run = false) {
    PruneRequest request{dir_ / "tgt", {}, dry_run};
    request.keep.last = last;
    return PruneVersions(fs_, clock_, request, log_);
  }
  std::string Folder(const std::string& name) { return Target() + name; }

  WatchedFileSystem fs_;
};

TEST_F(PruneVersionsTest, AFolderGoesAsideAndIntoTheRecordBeforeItIsDeleted) {
  const PruneResults results = Prune(1);
  EXPECT_FALSE(results.refused);
  EXPECT_EQ(results.removed, 2);
  EXPECT_EQ(results.failed, 0);
  EXPECT_EQ(results.bytes, 2u * (5 + 20));  // a.txt and the README of each
  EXPECT_EQ(results.ExitStatus(), 0);
  EXPECT_FALSE(test::Exists(Folder(kOld)));
  EXPECT_FALSE(test::Exists(Folder(kMid)));
  EXPECT_TRUE(test::Exists(Folder(kNew) + "/a.txt"));
  ASSERT_FALSE(fs_.events.empty());
  EXPECT_EQ(fs_.events[0], "rename " + Folder(kOld) + " " + Folder(".qs-removing-") + kOld);
  EXPECT_EQ(fs_.events[1].rfind("remove " + Folder(".qs-removing-") + kOld, 0), 0u);
  EXPECT_EQ(fs_.prunesWhenFirstRemoved, 1);
  const RecordStore store = RecordStore::Open(fs_, Target());
  ASSERT_EQ(store.history().prunes().size(), 2u);
  EXPECT_EQ(store.history().prunes()[1].removedFolders, std::vector<std::string>{kMid});
  EXPECT_EQ(lines_, (std::vector<std::string>{"Version folder removed: " + Folder(kOld),
                                              "Version folder removed: " + Folder(kMid),
                                              "Pruning completed: 2 removed, 0 failed.",
                                              "Space freed: 50 bytes."}));
}

TEST_F(PruneVersionsTest, ALeftoverIsFinishedEvenWithoutARuleAndALookAlikeStays) {
  const std::string leftover = std::string(".qs-removing-") + kOld;
  ASSERT_TRUE(test::RealFs().Rename(Folder(kOld), Folder(leftover)));
  Put("tgt/.qs-removing-notes/mine.txt", "data", Seconds(500));
  const PruneResults results = Prune(0);
  EXPECT_EQ(results.removed, 1);
  EXPECT_FALSE(test::Exists(Folder(leftover)));
  EXPECT_EQ(test::ReadFile(dir_ / "tgt/.qs-removing-notes/mine.txt"), "data");
  EXPECT_TRUE(test::Exists(Folder(kMid)));
  const RecordStore store = RecordStore::Open(fs_, Target());
  ASSERT_EQ(store.history().prunes().size(), 1u);
  EXPECT_EQ(store.history().prunes()[0].removedFolders, std::vector<std::string>{kOld});
  EXPECT_EQ(lines_, (std::vector<std::string>{
                        "Leftover of an interrupted removal removed: " + Folder(leftover),
                        "No --keep rule given: no version folder removed.",
                        "Pruning completed: 1 removed, 0 failed.", "Space freed: 25 bytes."}));
}

TEST_F(PruneVersionsTest, ADryRunMeasuresWhatWouldGoAndChangesNothing) {
  const std::string leftover = std::string(".qs-removing-") + kOld;
  ASSERT_TRUE(test::RealFs().Rename(Folder(kOld), Folder(leftover)));
  const auto before = test::ListTree(dir_ / "tgt");
  const std::string journal = test::ReadFile(dir_ / "tgt/.quillstone/journal");
  const PruneResults results = Prune(1, true);
  EXPECT_EQ(results.removed, 0);
  EXPECT_EQ(results.bytes, 50u);
  EXPECT_EQ(test::ListTree(dir_ / "tgt"), before);
  EXPECT_EQ(test::ReadFile(dir_ / "tgt/.quillstone/journal"), journal);
  EXPECT_EQ(lines_, (std::vector<std::string>{
                        "Leftover of an interrupted removal would be removed: " + Folder(leftover),
                        "Version folder would be removed: " + Folder(kMid),
                        "Pruning completed: 0 removed, 0 failed.",
                        "Space that would be freed: 50 bytes.", "Dry run: nothing was written."}));
}

TEST_F(PruneVersionsTest, AFolderThatCannotGoAsideOrIntoTheRecordStaysWhole) {
  fs_.refuseRename = true;
  PruneResults results = Prune(2);
  EXPECT_EQ(results.failed, 1);
  EXPECT_EQ(results.ExitStatus(), 1);
  EXPECT_EQ(lines_.front(),
            "Could not remove version folder: " + Folder(kOld) + " " + ErrorCodeText(5));
  fs_.refuseRename = false;
  fs_.failAppendOf = [](const std::string&) { return true; };
  fs_.failWriteOf = [](const std::string&) { return true; };
  results = Prune(2);
  EXPECT_EQ(results.failed, 1);
  EXPECT_EQ(results.removed, 0);
  // Back under its name, whole, as the record still has it.
  EXPECT_EQ(test::ReadFile(Folder(kOld) + "/a.txt"), "12345");
  EXPECT_FALSE(test::Exists(Folder(".qs-removing-") + kOld));
}

TEST_F(PruneVersionsTest, ATargetWithoutVersionFoldersIsRefusedAndNothingIsSaid) {
  test::MakeDirs(dir_ / "empty");
  const PruneResults results =
      PruneVersions(fs_, clock_, {dir_ / "empty", {.last = 1}, false}, log_);
  EXPECT_TRUE(results.refused);
  EXPECT_EQ(results.why, "TARGET holds no version folders: " + dir_ / "empty");
  EXPECT_TRUE(PruneVersions(fs_, clock_, {dir_ / "none", {.last = 1}, false}, log_).refused);
  EXPECT_TRUE(lines_.empty());
}

TEST_F(PruneVersionsTest, TheEndCarriesTheCountsAndAFailureItsPathAndCode) {
  fs_.refuseRename = true;
  Prune(2);
  const auto failed = log_.Of(RunEventKind::kVersionFolderNotRemoved);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].path, Folder(kOld));
  EXPECT_EQ(failed[0].code, 5u);
  ASSERT_EQ(log_.events.back().kind, RunEventKind::kPruneCompleted);
  PruneCounts counts = log_.events.back().prune.value();
  EXPECT_EQ(counts.removed, 0);
  EXPECT_EQ(counts.failed, 1);
  EXPECT_FALSE(counts.dryRun);
  fs_.refuseRename = false;
  log_.Clear();
  Prune(1, true);
  EXPECT_EQ(log_.Of(RunEventKind::kVersionFolderWouldGo).size(), 2u);
  counts = log_.events.back().prune.value();
  EXPECT_EQ(counts.bytes, 50u);
  EXPECT_TRUE(counts.dryRun);
}

}  // namespace
}  // namespace qs
