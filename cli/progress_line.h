// One line of progress on standard error: files and bytes done of all, the recent rate, and
// the time left. The log on standard output stays as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

#include "log/run_events.h"
#include "log/run_progress.h"
#include "os/clock.h"

namespace qs {

class ProgressLine : public RunObserver {
 public:
  /// On a terminal the line is kept up to date in place, never wider than `columns()` says
  /// the terminal is (asked at each drawing, so that it follows a resize; 0: not known).
  /// Elsewhere (a file, a pipe) it is written as a plain line every five seconds and at the
  /// end; `log`, when given, is flushed first, so that the lines of the two never mix.
  struct Where {
    bool terminal = true;
    std::function<int()> columns;
    std::ostream* log = nullptr;
  };

  ProgressLine(Clock& clock, std::ostream& out, Where where);
  /// Brings the line up to date, at most ten times a second; after the run, leaves its last
  /// state on a line of its own and draws no more.
  void OnRunEvent(const RunEvent& event) override;
  /// Takes the line off the terminal, so that another line can be written where it stood.
  void Clear();
  /// Draws the line again below a line written after Clear, as it was taken off.
  void Restore();

 private:
  void Draw(int64_t now);
  void WritePlainLine(int64_t now);

  Clock& clock_;
  std::ostream& out_;
  Where where_;
  RunProgress progress_;
  int64_t last_written_ = 0;
  bool ended_ = false, shown_ = false, taken_off_ = false;
};

/// The log's way to standard output when the progress line shares its terminal: the line is
/// taken off before a log line is written and drawn again below it.
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
