// The record on a real disk: made on the first fact, appended to after, a damaged end cut off
// by the next append, and a file of another kind left alone.
#include "engine/record_store.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::ReadFile;
using test::WriteFile;

RunFact ARun(uint64_t number) {
  RunFact run;
  run.number = number;
  run.endTicks = static_cast<int64_t>(number) * 10;
  run.changes = AsChanges({{"f" + std::to_string(number), number, {1, 0}, false, {}}});
  return run;
}

class RecordStoreTest : public ::testing::Test {
 protected:
  std::string Target() { return dir_.path() + kPathSeparator; }
  std::string Journal() { return dir_ / ".quillstone/journal"; }
  RecordStore Open() { return RecordStore::Open(fs_, Target()); }
  bool Append(RecordStore& store, uint64_t number) {
    uint32_t code = 0;
    return store.Append(fs_, FrameKind::kRun, EncodeRun(ARun(number)), &code);
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
};

TEST_F(RecordStoreTest, TheFirstFactMakesTheFolderWithItsReadme) {
  RecordStore store = Open();
  EXPECT_EQ(store.found(), RecordStore::Found::kNone);
  ASSERT_TRUE(Append(store, 1));
  EXPECT_EQ(ReadFile(dir_ / ".quillstone/README.txt"), kRecordReadme);
  ASSERT_TRUE(Append(store, 2));
  const RecordStore again = Open();
  EXPECT_EQ(again.found(), RecordStore::Found::kWhole);
  ASSERT_EQ(again.history().runs().size(), 2u);
  EXPECT_EQ(again.history().runs()[1].number, 2u);
  EXPECT_EQ(again.bytes(), ReadFile(Journal()).size());
}

TEST_F(RecordStoreTest, ADamagedEndIsLeftOutThenCutOffByTheNextAppend) {
  RecordStore store = Open();
  ASSERT_TRUE(Append(store, 1));
  ASSERT_TRUE(Append(store, 2));
  const std::string whole = ReadFile(Journal());
  WriteFile(Journal(), whole.substr(0, whole.size() - 5));  // the second append cut short
  RecordStore torn = Open();
  EXPECT_EQ(torn.found(), RecordStore::Found::kTornEnd);
  ASSERT_EQ(torn.history().runs().size(), 1u);
  ASSERT_TRUE(Append(torn, 3));
  const RecordStore mended = Open();
  EXPECT_EQ(mended.found(), RecordStore::Found::kWhole);
  ASSERT_EQ(mended.history().runs().size(), 2u);
  EXPECT_EQ(mended.history().runs()[1].number, 3u);
}

TEST_F(RecordStoreTest, AFileThatIsNoJournalIsNeverWrittenOver) {
  WriteFile(Journal(), "somebody's notes");
  RecordStore store = Open();
  EXPECT_EQ(store.found(), RecordStore::Found::kForeign);
  uint32_t code = 7;
  EXPECT_FALSE(store.Append(fs_, FrameKind::kRun, EncodeRun(ARun(1)), &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadFile(Journal()), "somebody's notes");
}

TEST_F(RecordStoreTest, AFolderThatCannotBeMadeFailsWithItsCode) {
  fs_.failMakeDirectory = [](const std::string& path) {
    return path.find(".quillstone") != std::string::npos;
  };
  fs_.code = 13;
  RecordStore store = Open();
  uint32_t code = 0;
  EXPECT_FALSE(store.Append(fs_, FrameKind::kRun, EncodeRun(ARun(1)), &code));
  EXPECT_EQ(code, 13u);
  EXPECT_FALSE(test::Exists(Journal()));
}

TEST_F(RecordStoreTest, AJournalInPlaceOfAFolderIsUnreadableNotEmpty) {
  test::MakeDirs(Journal());
  const RecordStore store = Open();
  EXPECT_EQ(store.found(), RecordStore::Found::kUnreadable);
}

/// A volume that refuses to add to a file it holds, after taking part of the bytes.
class NoAppendFileSystem : public test::FaultyFileSystem {
 public:
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    ++appends;
    real_.AppendToFile(path, bytes.substr(0, bytes.size() / 2));
    append_failed_last_ = true;
    return false;
  }
  bool WriteWholeFile(const std::string& path, const std::string& content) override {
    append_failed_last_ = false;
    return FaultyFileSystem::WriteWholeFile(path, content);
  }
  uint32_t LastErrorCode() override {
    return append_failed_last_ ? 1 : FaultyFileSystem::LastErrorCode();
  }
  int appends = 0;

 private:
  bool append_failed_last_ = false;
};

TEST(RecordStoreAppendTest, AVolumeThatCannotAddToAFileGetsTheJournalWrittenWhole) {
  test::ScopedTempDir dir;
  NoAppendFileSystem fs;
  const std::string target = dir.path() + kPathSeparator;
  uint32_t code = 0;
  RecordStore store = RecordStore::Open(fs, target);
  ASSERT_TRUE(store.Append(fs, FrameKind::kRun, EncodeRun(ARun(1)), &code));
  ASSERT_TRUE(store.Append(fs, FrameKind::kRun, EncodeRun(ARun(2)), &code));
  RecordStore again = RecordStore::Open(fs, target);
  ASSERT_TRUE(again.Append(fs, FrameKind::kRun, EncodeRun(ARun(3)), &code));
  EXPECT_EQ(fs.appends, 2);
  const RecordStore read = RecordStore::Open(fs, target);
  EXPECT_EQ(read.found(), RecordStore::Found::kWhole);
  ASSERT_EQ(read.history().runs().size(), 3u);
  EXPECT_EQ(read.history().runs()[2].number, 3u);
  EXPECT_EQ(read.bytes(), again.bytes());
  // When the whole journal cannot be written either, the append's own code is told.
  fs.failWriteOf = [](const std::string&) { return true; };
  fs.code = 28;
  EXPECT_FALSE(again.Append(fs, FrameKind::kRun, EncodeRun(ARun(4)), &code));
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(RecordStore::Open(fs, target).history().runs().size(), 3u);
}

}  // namespace
}  // namespace qs
