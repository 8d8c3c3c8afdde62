// --rebuild-record on the real runner: the record made from the copies, the one there before
// kept aside, and what it says of a target it cannot use.
#include <algorithm>
#include <filesystem>

#include "engine/record_store.h"
#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerRebuildRecordTest : public test::RunnerFixture {
 protected:
  RecordStore Record() { return RecordStore::Open(test::RealFs(), dir_ / "tgt/"); }
  std::vector<std::string> RecordFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "tgt/.quillstone"))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(RunnerRebuildRecordTest, TheCopiesAreReadAndTheRecordThereBeforeIsKeptAside) {
  test::WriteFile(dir_ / "src/a.txt", "a1", Seconds(1000));
  test::WriteFile(dir_ / "src/sub/b.txt", "b", Seconds(1000));
  ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("tgt"))) << Out();
  test::WriteFile(dir_ / "src/a.txt", "a2", Seconds(2000));
  ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("tgt"))) << Out();
  test::WriteFile(dir_ / "tgt/sub/b.txt", "rotted", Seconds(1000));  // read as it is now
  const std::string before = test::ReadFile(dir_ / "tgt/.quillstone/journal");

  ASSERT_EQ(0, Run("--rebuild-record " + Quoted("tgt"))) << Out();
  const std::vector<std::string> files = RecordFiles();
  ASSERT_EQ(3u, files.size());
  EXPECT_EQ("journal", files[1]);
  EXPECT_EQ(0u, files[2].rfind("journal.replaced-", 0)) << files[2];
  EXPECT_EQ(before, test::ReadFile(dir_ / ("tgt/.quillstone/" + files[2])));
  EXPECT_TRUE(OutHas("] The record there before is kept as: " + dir_ / "tgt/.quillstone/" +
                     files[2] + "\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Record rebuilt from 2 copies: " + dir_ / "tgt/.quillstone/journal\n"))
      << Out();

  const RecordStore store = Record();
  ASSERT_EQ(RecordStore::Found::kWhole, store.found());
  ASSERT_EQ(1u, store.history().runs().size());
  EXPECT_TRUE(store.history().runs()[0].rebuilt);
  EXPECT_TRUE(store.history().runs()[0].fullListing);
  const Listing expected = {{"a.txt", 2, Seconds(2000), true, HashOf("a2")},
                            {"sub/b.txt", 6, Seconds(1000), true, HashOf("rotted")}};
  EXPECT_EQ(expected, store.history().Latest());

  // A second rebuild keeps both earlier journals; the next backup goes on from it.
  ASSERT_EQ(0, Run("--rebuild-record " + Quoted("tgt"))) << Out();
  EXPECT_EQ(4u, RecordFiles().size());
  ASSERT_EQ(0, Run(Quoted("src") + " " + Quoted("tgt"))) << Out();
  EXPECT_EQ(2u, Record().history().runs().size());
}

TEST_F(RunnerRebuildRecordTest, ATargetThatIsNoFolderOrACopyThatCannotBeRead) {
  EXPECT_EQ(2, Run("--rebuild-record " + Quoted("nowhere")));
  EXPECT_EQ(2, Run("--rebuild-record"));
  EXPECT_EQ(2, Run("--rebuild-record --dry-run " + Quoted("tgt")));
  test::WriteFile(dir_ / "tgt/a.txt", "a", Seconds(1000));
  test::WriteFile(dir_ / "tgt/locked.txt", "l", Seconds(1000));
  std::filesystem::permissions(dir_ / "tgt/locked.txt", std::filesystem::perms::none);
  if (test::ReadFile(dir_ / "tgt/locked.txt") == "l") GTEST_SKIP() << "root reads anything";
  EXPECT_EQ(1, Run("--rebuild-record " + Quoted("tgt"))) << Out();
  EXPECT_TRUE(OutHas("] Could not read: " + dir_ / "tgt/locked.txt" + " Error: ")) << Out();
  const RecordStore store = Record();
  ASSERT_EQ(1u, store.history().runs().size());
  EXPECT_EQ(1, store.history().runs()[0].exitStatus);
  const Listing latest = store.history().Latest();
  const RecordedFile* locked = Find(latest, "locked.txt");
  ASSERT_NE(nullptr, locked);
  EXPECT_FALSE(locked->hashKnown);
}

}  // namespace
}  // namespace qs
