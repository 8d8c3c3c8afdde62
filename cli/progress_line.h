// One line of progress on a terminal: files and bytes done of all, the rate, and the time
// left. The log on standard output stays as it is.
#pragma once

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "engine/run_events.h"
#include "platform/clock.h"

namespace qs {

class ProgressLine : public RunObserver {
 public:
  ProgressLine(Clock& clock, std::ostream& terminal) : clock_(clock), terminal_(terminal) {}
  /// Brings the line up to date, at most ten times a second; after the run, leaves its last
  /// state on a line of its own.
  void OnRunEvent(const RunEvent& event) override;
  /// Takes the line off the terminal, so that another line can be written where it stood; it
  /// is drawn again at the next update.
  void Clear();

  /// The line for the given state (for tests): files and bytes done of all, the rate in bytes
  /// a second, and the time left in seconds (negative: not known yet).
  static std::string Text(uint64_t files_done, uint64_t files, uint64_t bytes_done, uint64_t bytes,
                          double rate, double seconds_left);

 private:
  void Draw();
  /// The time left, from the share done in files and in bytes alike, smoothed.
  double SecondsLeft(double elapsed);

  Clock& clock_;
  std::ostream& terminal_;
  uint64_t files_ = 0, bytes_ = 0, files_done_ = 0, bytes_done_ = 0;
  int64_t started_ = 0, last_drawn_ = 0;
  double smoothed_left_ = -1;
  bool shown_ = false;
};

/// The log's way to standard output when a progress line shares the terminal: the line is
/// taken off before each log line is written.
class LogBesideProgress : public std::streambuf {
 public:
  LogBesideProgress(std::streambuf& out, ProgressLine& progress) : out_(out), progress_(progress) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override { return out_.pubsync(); }

 private:
  std::streambuf& out_;
  ProgressLine& progress_;
};

}  // namespace qs
