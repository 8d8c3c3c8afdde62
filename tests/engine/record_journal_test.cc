#include "engine/record_journal.h"

#include <gtest/gtest.h>

#include <string>

namespace qs {
namespace {

std::string Journal(const std::vector<std::string>& payloads) {
  std::string bytes(kJournalMagic);
  for (const std::string& payload : payloads) bytes += EncodeFrame(FrameKind::kRun, payload);
  return bytes;
}

TEST(RecordJournalTest, FramesReadBackInOrder) {
  const std::string bytes = Journal({"first", "", std::string(70000, 'x')});
  const JournalContents contents = ReadJournal(bytes);
  ASSERT_EQ(contents.frames.size(), 3u);
  EXPECT_EQ(contents.frames[0].payload, "first");
  EXPECT_EQ(contents.frames[1].payload, "");
  EXPECT_EQ(contents.frames[2].payload.size(), 70000u);
  EXPECT_EQ(contents.wholeLength, bytes.size());
  EXPECT_FALSE(contents.torn);
}

TEST(RecordJournalTest, AnAppendCutShortAnywhereLeavesEveryEarlierFrameWhole) {
  const std::string whole = Journal({"one", "two", "three"});
  const size_t before_last = Journal({"one", "two"}).size();
  for (size_t cut = before_last; cut < whole.size(); ++cut) {
    const JournalContents contents = ReadJournal(std::string_view(whole).substr(0, cut));
    ASSERT_EQ(contents.frames.size(), 2u) << "cut at " << cut;
    EXPECT_EQ(contents.frames[1].payload, "two");
    EXPECT_EQ(contents.wholeLength, before_last);
    EXPECT_EQ(contents.torn, cut > before_last);
  }
}

TEST(RecordJournalTest, AnyFlippedByteOfAFrameEndsTheJournalBeforeIt) {
  const std::string whole = Journal({"alpha", "beta"});
  const size_t second = Journal({"alpha"}).size();
  for (size_t at = second; at < whole.size(); ++at) {
    std::string damaged = whole;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    const JournalContents contents = ReadJournal(damaged);
    ASSERT_EQ(contents.frames.size(), 1u) << "byte " << at;
    EXPECT_TRUE(contents.torn);
    EXPECT_EQ(contents.wholeLength, second);
  }
}

TEST(RecordJournalTest, AFileWithoutTheHeaderIsNotReadAtAll) {
  const JournalContents foreign = ReadJournal("not a journal at all");
  EXPECT_TRUE(foreign.foreign);
  EXPECT_TRUE(foreign.frames.empty());
  EXPECT_FALSE(ReadJournal("").foreign);
}

TEST(RecordJournalTest, KindsOfALaterBuildAreKeptForWhatFollows) {
  std::string bytes(kJournalMagic);
  bytes += EncodeFrame(static_cast<FrameKind>(99), "later");
  bytes += EncodeFrame(FrameKind::kPrune, "prune");
  const JournalContents contents = ReadJournal(bytes);
  ASSERT_EQ(contents.frames.size(), 2u);
  EXPECT_EQ(contents.frames[1].kind, FrameKind::kPrune);
}

TEST(RecordJournalTest, AHugeDeclaredLengthIsDamageNotAnAllocation) {
  std::string bytes(kJournalMagic);
  bytes += '\x01';
  bytes += std::string(8, '\xff');
  bytes += '\x7f';
  const JournalContents contents = ReadJournal(bytes);
  EXPECT_TRUE(contents.torn);
  EXPECT_TRUE(contents.frames.empty());
}

}  // namespace
}  // namespace qs
