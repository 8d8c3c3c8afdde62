// A prune's fact: kept in a record of ours, never made where there is none, and a failure to
// keep it said.
#include "engine/prune_record.h"

#include <gtest/gtest.h>

#include "engine/record_facts.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class PruneRecordTest : public ::testing::Test {
 protected:
  std::string Target() { return dir_ / "tgt/"; }
  std::string Journal() { return dir_ / "tgt/.quillstone/journal"; }
  void StartRecord() {
    RecordStore store = RecordStore::Open(test::RealFs(), Target());
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(test::RealFs(), FrameKind::kRun, EncodeRun(RunFact{}), &code));
  }
  PruneKept Keep(FileSystem& fs, const std::vector<std::string>& folders, uint32_t* code) {
    RecordStore store = RecordStore::Open(fs, Target());
    return KeepPruneInRecord(fs, store, 77, folders, code);
  }
  test::ScopedTempDir dir_;
};

TEST_F(PruneRecordTest, TheRemovedFoldersAreKeptInTheRecord) {
  StartRecord();
  uint32_t code = 1;
  EXPECT_EQ(Keep(test::RealFs(), {"backup_20261201_120000", "backup_20261202_120000"}, &code),
            PruneKept::kKept);
  EXPECT_EQ(code, 0u);
  const RecordStore store = RecordStore::Open(test::RealFs(), Target());
  ASSERT_EQ(store.history().prunes().size(), 1u);
  EXPECT_EQ(store.history().prunes()[0].ticks, 77);
  EXPECT_EQ(store.history().prunes()[0].removedFolders,
            (std::vector<std::string>{"backup_20261201_120000", "backup_20261202_120000"}));
  EXPECT_EQ(store.history().runs().size(), 1u);
}

TEST_F(PruneRecordTest, NoRecordIsMadeAndAForeignFileIsLeftAlone) {
  test::MakeDirs(dir_ / "tgt");
  uint32_t code = 0;
  EXPECT_EQ(Keep(test::RealFs(), {"backup_20261201_120000"}, &code), PruneKept::kNoRecord);
  EXPECT_FALSE(test::Exists(dir_ / "tgt/.quillstone"));
  test::WriteFile(Journal(), "mine");
  EXPECT_EQ(Keep(test::RealFs(), {"backup_20261201_120000"}, &code), PruneKept::kNoRecord);
  EXPECT_EQ(test::ReadFile(Journal()), "mine");
}

TEST_F(PruneRecordTest, AFactThatCannotBeWrittenIsAFailureWithItsCode) {
  StartRecord();
  {  // a damaged end: the next fact rewrites the journal whole, which fails here
    std::string bytes = test::ReadFile(Journal()) + "\x01\x09zz";
    test::WriteFile(Journal(), bytes);
  }
  test::FaultyFileSystem faulty;
  faulty.failWriteOf = [](const std::string&) { return true; };
  uint32_t code = 0;
  EXPECT_EQ(Keep(faulty, {"backup_20261201_120000"}, &code), PruneKept::kFailed);
  EXPECT_EQ(code, faulty.code);
  EXPECT_TRUE(RecordStore::Open(test::RealFs(), Target()).history().prunes().empty());
}

}  // namespace
}  // namespace qs
