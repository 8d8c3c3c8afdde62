// The copy pipeline hands each outcome on in list order, whatever thread decided it, and only
// once the file's copy is in place: a sink never hears of a copy that is not in the target.
#include "engine/copy_pipeline.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

/// Records what it is handed, and checks the target as each outcome arrives.
class RecordingSink final : public OutcomeSink {
 public:
  RecordingSink(FilePass& pass) : pass_(pass) {}
  void OnOutcome(size_t index, const FileOutcome& outcome) override {
    indexes.push_back(index);
    decisions.push_back(outcome.decision);
    const bool copies =
        outcome.decision == CopyDecision::kNew || outcome.decision == CopyDecision::kUpdate;
    if (copies && (!outcome.copy.published || test::ReadFile(pass_.TargetPath(index)) !=
                                                  test::ReadFile(pass_.list[index].path)))
      ++not_in_place;
  }
  void OnHandled(size_t files, uint64_t) override {
    if (files < handled) ++handled_went_back;
    handled = files;
  }
  std::vector<size_t> indexes;
  std::vector<CopyDecision> decisions;
  int not_in_place = 0;
  size_t handled = 0;
  int handled_went_back = 0;

 private:
  FilePass& pass_;
};

class CopyPipelineTest : public ::testing::TestWithParam<int> {
 protected:
  /// 200 files: every third new, every third older in the target, every third unchanged.
  void PrepareTrees() {
    for (int i = 0; i < 200; ++i) {
      const std::string name = "d" + std::to_string(i % 5) + "/f" + std::to_string(i);
      test::WriteFile(dir_ / ("src/" + name), "source " + std::to_string(i), Seconds(2000));
      if (i % 3 == 1) test::WriteFile(dir_ / ("dst/" + name), "old", Seconds(1000));
      if (i % 3 == 2) test::WriteFile(dir_ / ("dst/" + name), "same", Seconds(2000));
    }
  }
  static CopyDecision Expected(const std::string& path) {
    const int i = std::stoi(path.substr(path.rfind('f') + 1));
    return i % 3 == 0   ? CopyDecision::kNew
           : i % 3 == 1 ? CopyDecision::kUpdate
                        : CopyDecision::kSkip;
  }

  test::ScopedTempDir dir_;
};

TEST_P(CopyPipelineTest, OutcomesComeInListOrderOnceInPlace) {
  PrepareTrees();
  test::FaultyFileSystem fs;
  fs.wholeVolumeFlush = true;  // copies wait for their batch's flush to be put in place
  test::FakeClock clock;
  std::ostringstream console;
  MemoryLogPane backup_pane, file_pane;
  BackupOptions request = BackupOptions::Of(dir_ / "src", dir_ / "dst", false);
  request.tuning.fileThreads = GetParam();
  request.tuning.flushBatch = 8;  // many batches
  test::BackupLogs logs(&backup_pane, &file_pane, clock, &console);
  BackupJob job(fs, clock, request, logs);
  FileList list;
  job.ScanSource(job.options.sourceRoot, list);
  ASSERT_EQ(list.size(), 200u);
  FilePass pass(job, list, nullptr);
  RecordingSink sink(pass);
  CopyPipeline(pass, sink).Run();
  ASSERT_EQ(sink.indexes.size(), list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(sink.indexes[i], i);
    EXPECT_EQ(sink.decisions[i], Expected(list[i].path)) << list[i].path;
  }
  EXPECT_EQ(sink.not_in_place, 0);
  EXPECT_EQ(sink.handled_went_back, 0);
  // The pipeline reports nothing itself: the sink is the only one told.
  EXPECT_EQ(backup_pane.Text(), "");
  EXPECT_EQ(job.results.counters.copied, 0);
}

INSTANTIATE_TEST_SUITE_P(Threads, CopyPipelineTest, ::testing::Values(1, 4));

}  // namespace
}  // namespace qs
