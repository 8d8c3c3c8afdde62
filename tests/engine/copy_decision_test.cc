// The decision for one file from its facts alone. The volume's step is asked for only when the
// decision turns on it: learning it takes a probe, and an unchanged run writes nothing.
#include "engine/copy_decision.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::At;
using test::Seconds;

RecordedFile Entry(uint64_t size, FileTime time, bool hash_known) {
  RecordedFile entry;
  entry.path = "a";
  entry.size = size;
  entry.lastWrite = time;
  entry.hashKnown = hash_known;
  return entry;
}

class CountingStep final : public TimeStepOfTarget {
 public:
  explicit CountingStep(TimeStep step) : step_(step) {}
  TimeStep Step() override {
    ++asked;
    return step_;
  }
  int asked = 0;

 private:
  TimeStep step_;
};

CopyFacts Facts(FileTime source, PathKind kind, FileTime copy, uint64_t size = 5) {
  CopyFacts facts;
  facts.source = source;
  facts.listedSize = size;
  facts.target.kind = kind;
  facts.target.lastWrite = copy;
  facts.target.size = size;
  return facts;
}

TEST(CopyDecisionTest, TheCopysKindComesFirst) {
  CountingStep step(kExactTimes);
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2), PathKind::Missing, {}), step), CopyDecision::kNew);
  // Unreadable: the copy is attempted, and its failure says why.
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2), PathKind::Unreadable, {}), step), CopyDecision::kNew);
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2), PathKind::Directory, Seconds(1)), step),
            CopyDecision::kNotAFile);
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2), PathKind::Other, Seconds(1)), step),
            CopyDecision::kNotAFile);
  EXPECT_EQ(step.asked, 0);
}

TEST(CopyDecisionTest, PlainlyNewerOrNotNewerNeedsNoStep) {
  CountingStep step(kExactTimes);
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2000), PathKind::File, Seconds(1000)), step),
            CopyDecision::kUpdate);
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2000), PathKind::File, Seconds(2000)), step),
            CopyDecision::kSkip);
  // A copy newer than its source (edited in the target) stays.
  EXPECT_EQ(DecideByTimes(Facts(Seconds(2000), PathKind::File, Seconds(3000)), step),
            CopyDecision::kSkip);
  EXPECT_EQ(step.asked, 0);
}

TEST(CopyDecisionTest, ACutDownCopyIsJudgedByTheVolumesStep) {
  const FileTime source = At(101, 987654321);
  const FileTime on_fat = Seconds(100);  // cut down to two seconds
  CountingStep fat(2'000'000'000);
  EXPECT_EQ(DecideByTimes(Facts(source, PathKind::File, on_fat), fat), CopyDecision::kSkip);
  EXPECT_EQ(fat.asked, 1);
  // The same copy on a volume that keeps times exactly is older than its source.
  CountingStep exact(kExactTimes);
  EXPECT_EQ(DecideByTimes(Facts(source, PathKind::File, on_fat), exact), CopyDecision::kUpdate);
  EXPECT_EQ(exact.asked, 1);
}

TEST(CopyDecisionTest, TheRecordShowsASourceReplacedByAnOlderFile) {
  CountingStep step(kExactTimes);
  const CopyFacts facts = Facts(Seconds(1500), PathKind::File, Seconds(2000), 5);
  const RecordedFile entry = Entry(5, Seconds(2000), true);
  // The copy is the recorded one, and the source is not what it was made of.
  EXPECT_TRUE(ReplacedSinceRecorded(facts, &entry, step));
  // The same source time as recorded: nothing was replaced.
  EXPECT_FALSE(
      ReplacedSinceRecorded(Facts(Seconds(2000), PathKind::File, Seconds(2000)), &entry, step));
  // Another size than the recorded copy's says so whatever the times.
  CopyFacts other_size = facts;
  other_size.source = Seconds(2000);
  other_size.listedSize = 9;
  EXPECT_TRUE(ReplacedSinceRecorded(other_size, &entry, step));
}

TEST(CopyDecisionTest, ACopyTheRecordDidNotMakeIsNeverReplaced) {
  CountingStep step(kExactTimes);
  const CopyFacts facts = Facts(Seconds(1500), PathKind::File, Seconds(2000), 5);
  EXPECT_FALSE(ReplacedSinceRecorded(facts, nullptr, step));
  const RecordedFile found = Entry(5, Seconds(2000), false);
  EXPECT_FALSE(ReplacedSinceRecorded(facts, &found, step));  // only found in place
  const RecordedFile edited = Entry(5, Seconds(1900), true);
  EXPECT_FALSE(ReplacedSinceRecorded(facts, &edited, step));  // changed in the target since
  const RecordedFile resized = Entry(6, Seconds(2000), true);
  EXPECT_FALSE(ReplacedSinceRecorded(facts, &resized, step));
}

TEST(CopyDecisionTest, ACutDownRecordedTimeIsTheSameSource) {
  const FileTime source = At(101, 987654321);
  const CopyFacts facts = Facts(source, PathKind::File, Seconds(100), 5);
  const RecordedFile entry = Entry(5, Seconds(100), true);
  CountingStep fat(2'000'000'000);
  EXPECT_FALSE(ReplacedSinceRecorded(facts, &entry, fat));
  EXPECT_EQ(fat.asked, 1);
  CountingStep exact(kExactTimes);
  EXPECT_TRUE(ReplacedSinceRecorded(facts, &entry, exact));
}

}  // namespace
}  // namespace qs
