// On a terminal the line is drawn in place ("\r", the text, "erase to the end of the line"),
// one column short of the width: a line that fills the last column moves the cursor to the
// next row on some terminals, and each later drawing would leave a copy behind. Elsewhere a
// plain line now and then tells the same without a character a file or a pipe cannot show.
#include "cli/progress_line.h"

#include <algorithm>

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kRedrawNanos = kNanosPerSecond / 10;
constexpr int64_t kPlainLineNanos = 5 * kNanosPerSecond;
/// The width terminals start with, for one that does not tell its own.
constexpr int kUsualColumns = 80;

}  // namespace

ProgressLine::ProgressLine(Clock& clock, std::ostream& out, Where where)
    : clock_(clock), out_(out), where_(std::move(where)) {}

void ProgressLine::OnRunEvent(const RunEvent& event) {
  if (ended_) return;
  const int64_t now = clock_.MonotonicNanos();
  progress_.Count(event, now);
  if (event.kind == RunEventKind::kEnded) {
    if (where_.terminal) {
      Draw(now);
      out_ << "\n" << std::flush;
    } else {
      WritePlainLine(now);
    }
    ended_ = true;
    shown_ = taken_off_ = false;
    return;
  }
  if (!where_.terminal) {
    if (event.kind == RunEventKind::kStarted) last_written_ = now;
    if (now - last_written_ >= kPlainLineNanos) WritePlainLine(now);
  } else if (event.kind == RunEventKind::kStarted || now - last_written_ >= kRedrawNanos) {
    Draw(now);
  }
}

void ProgressLine::Draw(int64_t now) {
  last_written_ = now;
  const int columns = where_.columns ? where_.columns() : 0;
  const int width = std::max(1, (columns > 0 ? columns : kUsualColumns) - 1);
  // One string, so one write: a terminal read between pieces would show half a line.
  const std::string line =
      "\r" + ProgressText(progress_.Figures(now), static_cast<size_t>(width)) + "\033[K";
  out_ << line << std::flush;
  shown_ = true;
}

void ProgressLine::WritePlainLine(int64_t now) {
  last_written_ = now;
  if (where_.log != nullptr) where_.log->flush();
  out_ << ProgressText(progress_.Figures(now), 0) + "\n" << std::flush;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  out_ << "\r\033[K" << std::flush;
  shown_ = false;
  taken_off_ = true;
}

void ProgressLine::Restore() {
  if (!taken_off_ || ended_) return;
  taken_off_ = false;
  Draw(clock_.MonotonicNanos());
}

LogBesideProgress::int_type LogBesideProgress::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char character = traits_type::to_char_type(c);
  return xsputn(&character, 1) == 1 ? c : traits_type::eof();
}

std::streamsize LogBesideProgress::xsputn(const char* text, std::streamsize count) {
  progress_.Clear();
  const std::streamsize written = out_.sputn(text, count);
  // A whole log line is out: it goes to the terminal first, then the line below it.
  if (count > 0 && text[count - 1] == '\n') {
    out_.pubsync();
    progress_.Restore();
  }
  return written;
}

}  // namespace qs
