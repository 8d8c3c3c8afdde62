#include "engine/check_copies.h"

#include <gtest/gtest.h>

#include "engine/check_lines.h"
#include "engine/file_hash.h"
#include "engine/record_store.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::ReadFile;
using test::Seconds;
using test::WriteFile;

class Lines : public CheckObserver {
 public:
  void OnCheckEvent(const CheckEvent& event) override { lines.push_back(CheckEventLine(event)); }
  std::vector<std::string> lines;
};

/// Counts what is read, and how much one read may ask for; on request, a full disk.
class ReadingFileSystem : public test::ForwardingFileSystem {
 public:
  class Reader : public FileReader {
   public:
    Reader(std::unique_ptr<FileReader> real, size_t* largest)
        : real_(std::move(real)), largest_(largest) {}
    int64_t Read(char* buffer, size_t size) override {
      *largest_ = std::max(*largest_, size);
      return real_->Read(buffer, size);
    }

   private:
    std::unique_ptr<FileReader> real_;
    size_t* largest_;
  };
  /// A copy that says nothing of what it holds, as one that never sees the bytes.
  class SilentCopy : public PendingCopy {
   public:
    explicit SilentCopy(std::unique_ptr<PendingCopy> real) : real_(std::move(real)) {}
    uint64_t Volume() const override { return real_->Volume(); }
    bool FlushedWithVolume() const override { return real_->FlushedWithVolume(); }
    bool Flush() override { return real_->Flush(); }
    bool Publish() override { return real_->Publish(); }
    bool PublishNew() override { return real_->PublishNew(); }
    uint32_t AttributesNotKept() const override { return real_->AttributesNotKept(); }

   private:
    std::unique_ptr<PendingCopy> real_;
  };
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                           const std::string& to) override {
    std::unique_ptr<PendingCopy> real = real_.PrepareCopy(from, to);
    if (!real || !hideCopyContent) return real;
    return std::make_unique<SilentCopy>(std::move(real));
  }
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    opened.push_back(path);
    std::unique_ptr<FileReader> real = real_.OpenForReading(path);
    // The record is read whole, and is no copy.
    const bool copy = path.find(kRecordFolderName) == std::string::npos;
    return real ? std::make_unique<Reader>(std::move(real), copy ? &largestRead : &unused_)
                : nullptr;
  }
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    if (failAppends) return false;
    return real_.AppendToFile(path, bytes);
  }
  bool WriteWholeFile(const std::string& path, const std::string& content) override {
    if (failAppends) return false;
    return real_.WriteWholeFile(path, content);
  }
  uint32_t LastErrorCode() override { return failAppends ? 28 : real_.LastErrorCode(); }

  std::vector<std::string> opened;
  size_t largestRead = 0;  ///< of a copy
  bool failAppends = false;
  bool hideCopyContent = false;

 private:
  size_t unused_ = 0;
};

class CheckCopiesTest : public ::testing::Test {
 protected:
  std::string Target() const { return dir_.path() + kPathSeparator + "target" + kPathSeparator; }
  std::string Source() const { return dir_.path() + kPathSeparator + "source" + kPathSeparator; }
  std::string InTarget(const std::string& path) const { return Target() + test::Native(path); }

  /// Puts `content` at `path` in the source and the target, as a backup would, and lists it.
  void BackUp(const std::string& path, const std::string& content, int64_t seconds,
              bool hash_known = true) {
    WriteFile(Source() + test::Native(path), content, Seconds(seconds));
    WriteFile(InTarget(path), content, Seconds(seconds));
    listing_.push_back({path, content.size(), Seconds(seconds), hash_known,
                        hash_known ? HashOf(content) : ContentHash{}});
  }
  /// Appends the run that holds what BackUp put, saving the old copies of `saved` into
  /// `folder`.
  void Record(const std::vector<std::string>& saved = {}, const std::string& folder = "") {
    Normalize(&listing_);
    RunFact run;
    run.number = ++runs_;
    run.sourceRoot = Source();
    run.versionFolder = folder;
    run.changes = Diff(recorded_, listing_);
    for (ListingChange& change : run.changes)
      change.versionSaved = std::find(saved.begin(), saved.end(), change.file.path) != saved.end();
    RecordStore store = RecordStore::Open(fs_, Target());
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(fs_, FrameKind::kRun, EncodeRun(run), &code));
    recorded_ = listing_;
  }
  /// Moves the target's copy of `path` into the version folder `folder`, as a run saving it.
  void SaveVersion(const std::string& folder, const std::string& path) {
    const std::string saved = Target() + folder + kPathSeparator + test::Native(path);
    WriteFile(saved, ReadFile(InTarget(path)), fs_.LastWriteTime(InTarget(path)));
  }
  /// Every file name below the target's folder of `path` that a repair may have left.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> left;
    for (const std::string& file : test::ListTree(Target()))
      if (file.find(".qs-tmp-") != std::string::npos) left.push_back(file);
    return left;
  }
  CheckResults Check(int percent = 100, bool repair = false) {
    lines_.lines.clear();
    return CheckCopies(fs_, clock_, {Target(), percent, repair}, lines_);
  }
  std::vector<CheckFact> Checks() { return RecordStore::Open(fs_, Target()).history().checks(); }
  /// Flips one byte of a file and gives it back its time: what rot on a disk does.
  void Flip(const std::string& path, size_t at) {
    std::string bytes = ReadFile(path);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
    const FileTime time = fs_.LastWriteTime(path);
    WriteFile(path, bytes, time);
  }

  test::ScopedTempDir dir_;
  ReadingFileSystem fs_;
  test::FakeClock clock_;
  Lines lines_;
  Listing listing_;
  Listing recorded_;
  uint64_t runs_ = 0;
};

TEST_F(CheckCopiesTest, DamageAndChangesAreNamedAndTheFactKeepsThem) {
  BackUp("good.txt", "all is well", 1000);
  BackUp("rot.txt", "bytes that rot", 1000);
  BackUp("edited.txt", "edited later", 1000);
  BackUp("gone.txt", "deleted later", 1000);
  BackUp("touched.txt", "only its time", 1000);
  Record();
  Flip(InTarget("rot.txt"), 3);
  WriteFile(InTarget("edited.txt"), "edited later, longer", Seconds(1000));
  test::RealFs().RemoveFile(InTarget("gone.txt"));
  WriteFile(InTarget("touched.txt"), "only its time", Seconds(2000));

  const CheckResults results = Check();
  EXPECT_EQ(results.ExitStatus(), 1);
  EXPECT_EQ(results.read, 5u);
  EXPECT_EQ(results.damaged, 1u);
  EXPECT_EQ(results.changed, 3u);
  const std::string found = HashOf("bytEs that rot").Hex();
  EXPECT_EQ(lines_.lines, (std::vector<std::string>{
                              "Changed outside the backup: " + InTarget("edited.txt"),
                              "Changed outside the backup: " + InTarget("gone.txt"),
                              "Damaged copy: " + InTarget("rot.txt") + " (recorded hash " +
                                  HashOf("bytes that rot").Hex() + ", found " + found + ")",
                              "Changed outside the backup: " + InTarget("touched.txt"),
                          }));
  // Only the copy that still looks like the recorded one is read past its size and time.
  std::erase(fs_.opened, Target() + kRecordFolderName + kPathSeparator + kJournalFileName);
  EXPECT_EQ(fs_.opened, (std::vector<std::string>{InTarget("good.txt"), InTarget("rot.txt")}));
  const std::vector<CheckFact> checks = Checks();
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].damaged, (std::vector<CheckedCopy>{{"", "rot.txt"}}));
  EXPECT_EQ(checks[0].changed.size(), 3u);
  EXPECT_EQ(checks[0].bytesRead, 11u + 14u);
  EXPECT_TRUE(checks[0].wrapped);
  EXPECT_EQ(checks[0].ticks, clock_.WallTicks());
}

TEST_F(CheckCopiesTest, AWholeTargetPassesAndAHashTheRecordLackedIsLearntOnce) {
  BackUp("a.txt", "first", 1000);
  BackUp("dir/b.txt", "second", 1000, false);
  Record();
  CheckResults results = Check();
  EXPECT_EQ(results.ExitStatus(), 0);
  EXPECT_EQ(results.learned, 1u);
  EXPECT_EQ(lines_.lines, std::vector<std::string>{});
  const RecordHistory history = RecordStore::Open(fs_, Target()).history();
  const Listing latest = history.Latest();
  const RecordedFile* learnt = Find(latest, "dir/b.txt");
  ASSERT_NE(learnt, nullptr);
  EXPECT_TRUE(learnt->hashKnown);
  EXPECT_EQ(learnt->hash, HashOf("second"));
  // Now known, the hash finds damage on the next check.
  Flip(InTarget("dir/b.txt"), 0);
  results = Check();
  EXPECT_EQ(results.learned, 0u);
  EXPECT_EQ(results.damaged, 1u);
}

TEST_F(CheckCopiesTest, ACopyIsReadInSmallPieces) {
  BackUp("big.bin", std::string(3 * kHashReadBytes + 5, 'x'), 1000);
  Record();
  EXPECT_EQ(Check().ExitStatus(), 0);
  EXPECT_EQ(fs_.largestRead, kHashReadBytes);
}

TEST_F(CheckCopiesTest, WithoutARecordNothingIsCheckedAndNothingWritten) {
  test::MakeDirs(Target());
  const CheckResults results = Check();
  EXPECT_EQ(results.outcome, CheckResults::Outcome::kNoRecord);
  EXPECT_EQ(results.ExitStatus(), 1);
  EXPECT_EQ(lines_.lines, std::vector<std::string>{kNothingToCheck});
  EXPECT_EQ(CheckSummaryLines(results), std::vector<std::string>{});
  EXPECT_FALSE(test::Exists(Target() + kRecordFolderName));
}

TEST_F(CheckCopiesTest, AForeignRecordIsLeftAloneAndSaidSo) {
  WriteFile(Target() + ".quillstone" + kPathSeparator + "journal", "not a journal at all");
  const CheckResults results = Check();
  EXPECT_EQ(results.outcome, CheckResults::Outcome::kRecordUnusable);
  EXPECT_EQ(results.ExitStatus(), 1);
  ASSERT_EQ(lines_.lines.size(), 1u);
  EXPECT_NE(lines_.lines[0].find("not written by Quillstone"), std::string::npos);
  EXPECT_EQ(ReadFile(Target() + ".quillstone" + kPathSeparator + "journal"),
            "not a journal at all");
}

TEST_F(CheckCopiesTest, ACheckThatCannotBeRecordedFailsAndSaysSo) {
  BackUp("a.txt", "first", 1000);
  Record();
  fs_.failAppends = true;
  const CheckResults results = Check();
  EXPECT_FALSE(results.recorded);
  EXPECT_EQ(results.ExitStatus(), 1);
  ASSERT_EQ(lines_.lines.size(), 1u);
  EXPECT_EQ(lines_.lines[0].rfind("The check could not be added to the record: ", 0), 0u);
  EXPECT_NE(lines_.lines[0].find("Error: 28 ("), std::string::npos);
}

/// Run with copies that hash what they take, and with copies that cannot say.
class CheckRepairTest : public CheckCopiesTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CheckRepairTest, ARepairCopiesAgainFromTheSourceOnlyWhileItIsWhatWasBackedUp) {
  fs_.hideCopyContent = GetParam();
  BackUp("fixed.txt", "from the source", 1000);
  BackUp("newer.txt", "source edited later", 1000);
  BackUp("rotten.txt", "source rotted too", 1000);
  Record();
  for (const char* path : {"fixed.txt", "newer.txt", "rotten.txt"}) Flip(InTarget(path), 1);
  WriteFile(Source() + "newer.txt", "source edited later", Seconds(3000));
  Flip(Source() + "rotten.txt", 4);

  const CheckResults results = Check(100, true);
  EXPECT_EQ(results.damaged, 3u);
  EXPECT_EQ(results.repaired, 1u);
  EXPECT_EQ(results.ExitStatus(), 1);
  EXPECT_EQ(ReadFile(InTarget("fixed.txt")), "from the source");
  EXPECT_EQ(fs_.LastWriteTime(InTarget("fixed.txt")), Seconds(1000));
  // Bytes that are not the recorded ones never replace a copy, damaged or not.
  EXPECT_EQ(ReadFile(InTarget("newer.txt")), "sOurce edited later");
  EXPECT_EQ(ReadFile(InTarget("rotten.txt")), "sOurce rotted too");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  const std::vector<std::string>& lines = lines_.lines;
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "Repaired: " + InTarget("fixed.txt") + " (from " + Source() + "fixed.txt)");
  EXPECT_EQ(lines[3], "Not repaired: " + InTarget("newer.txt") + " (" + Source() +
                          "newer.txt: it has changed since it was backed up)");
  EXPECT_EQ(lines[5], "Not repaired: " + InTarget("rotten.txt") + " (" + Source() +
                          "rotten.txt: its bytes do not have the recorded hash)");
  // The record keeps what is still damaged, and the next check finds only that.
  EXPECT_EQ(Checks().back().damaged,
            (std::vector<CheckedCopy>{{"", "newer.txt"}, {"", "rotten.txt"}}));
  EXPECT_EQ(Check().damaged, 2u);
}

TEST_P(CheckRepairTest, AnOldVersionIsRepairedFromAnotherCopyWithItsBytes) {
  fs_.hideCopyContent = GetParam();
  BackUp("a.txt", "one", 1000);
  BackUp("b.txt", "kept once", 1000);
  Record();
  SaveVersion("v2", "a.txt");
  SaveVersion("v2", "b.txt");
  listing_.clear();
  BackUp("a.txt", "two", 2000);
  BackUp("b.txt", "now other", 2000);
  Record({"a.txt", "b.txt"}, "v2");
  SaveVersion("v3", "a.txt");
  listing_.clear();
  BackUp("a.txt", "one", 3000);
  Record({"a.txt"}, "v3");
  const std::string old_one = Target() + "v2" + kPathSeparator + "a.txt";
  const std::string old_b = Target() + "v2" + kPathSeparator + "b.txt";
  Flip(old_one, 0);
  Flip(old_b, 0);

  const CheckResults results = Check(100, true);
  EXPECT_EQ(results.read, 5u);
  EXPECT_EQ(results.damaged, 2u);
  EXPECT_EQ(results.repaired, 1u);
  EXPECT_EQ(ReadFile(old_one), "one");
  // The copy keeps its own recorded time, not the time of the copy it was repaired from.
  EXPECT_EQ(fs_.LastWriteTime(old_one), Seconds(1000));
  EXPECT_EQ(ReadFile(old_b), "Kept once");
  EXPECT_NE(std::find(lines_.lines.begin(), lines_.lines.end(),
                      "Repaired: " + old_one + " (from " + InTarget("a.txt") + ")"),
            lines_.lines.end());
  EXPECT_NE(std::find(lines_.lines.begin(), lines_.lines.end(),
                      "Not repaired: " + old_b +
                          " (neither the source nor another copy holds the recorded bytes)"),
            lines_.lines.end());
  EXPECT_EQ(Check().damaged, 1u);
}

INSTANTIATE_TEST_SUITE_P(HashedOrNot, CheckRepairTest, ::testing::Bool());

}  // namespace
}  // namespace qs
