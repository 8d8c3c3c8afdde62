// The desktop program's state over in-memory controls, a step clock and a settings file in a
// temporary directory; every thread the program started has ended when a test is over.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/control_table.h"
#include "tests/support/memory_window.h"
#include "tests/support/test_support.h"

namespace qs::test {

/// Puts every global of the program back as at process start.
void ResetAppState();

class AppFixture : public ::testing::Test {
 protected:
  AppFixture();
  ~AppFixture() override;

  /// Window creation as the program does it, without a clock thread.
  void Create();
  /// The control made for the row that keeps its handle in `handle`.
  MemoryControl& Kept(Control** handle);
  MemoryControl& Kept(Control* AddedControls::*handle);
  /// Stops the scheduler while the step clock holds it: the clock lets every sleep through
  /// once the stop has been asked for.
  void StopScheduler();
  /// A fresh step clock, and a program context over it; the scheduler must not be running.
  void UseNewClock();
  /// A program context over `fs` (which must outlive the test); nothing may be running.
  void UseFileSystem(FileSystem& fs);
  /// Returns once every thread the program started has ended (20 s at most).
  bool WaitForThreadsToEnd();
  /// How many threads the program started are still at work.
  int ThreadsAlive() const { return app_->threads.Running(); }

  std::vector<std::string> BackupLogLines();
  std::vector<std::string> FileLogLines();
  std::string SettingsFile() const { return dir_ / "backup_config.dat"; }
  std::string PreferencesFile() const { return dir_ / "backup_preferences.txt"; }

  ScopedTempDir dir_;
  MemoryWindow window_;
  std::unique_ptr<StepClock> clock_;
  std::unique_ptr<AppContext> app_;
};

/// How many of `lines` equal `line`.
int CountOf(const std::vector<std::string>& lines, const std::string& line);
/// The index of the first line equal to `line`, or -1.
int IndexOf(const std::vector<std::string>& lines, const std::string& line);

}  // namespace qs::test
