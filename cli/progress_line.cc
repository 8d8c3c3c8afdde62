// The share done is the mean of the share of files and the share of bytes: small files cost
// their number, large ones their size, and a tree holds both. The time left is smoothed so
// that it does not jump with every file.
#include "cli/progress_line.h"

#include <cstdio>

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kRedrawNanos = kNanosPerSecond / 10;
constexpr double kSmoothing = 0.2;

std::string Bytes(uint64_t bytes) {
  char text[32];
  const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
  if (mib >= 1024 * 10)
    std::snprintf(text, sizeof text, "%.1f GiB", mib / 1024);
  else
    std::snprintf(text, sizeof text, "%.1f MiB", mib);
  return text;
}

/// Past this an estimate says nothing (and would not fit the integer it is rounded into).
constexpr double kLongestEstimate = 1e12;

/// Two digits, with a leading zero.
std::string TwoDigits(int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

/// 64 bits on every system: Windows' long has 32, which a large tree's first estimate exceeds.
std::string Duration(double seconds) {
  const int64_t total = static_cast<int64_t>(seconds + 0.5);
  if (total >= 3600)
    return std::to_string(total / 3600) + ":" + TwoDigits(total / 60 % 60) + ":" +
           TwoDigits(total % 60);
  return std::to_string(total / 60) + ":" + TwoDigits(total % 60);
}

bool EndsAFile(RunEventKind kind) {
  return kind == RunEventKind::kCopied || kind == RunEventKind::kUpdated ||
         kind == RunEventKind::kSkipped || kind == RunEventKind::kFailed;
}

}  // namespace

std::string ProgressLine::Text(uint64_t files_done, uint64_t files, uint64_t bytes_done,
                               uint64_t bytes, double rate, double seconds_left) {
  std::string text = std::to_string(files_done) + "/" + std::to_string(files) + " files  " +
                     Bytes(bytes_done) + " of " + Bytes(bytes) + "  " +
                     Bytes(static_cast<uint64_t>(rate)) + "/s  ";
  const bool known = seconds_left >= 0 && seconds_left < kLongestEstimate;
  text += known ? "time left: " + Duration(seconds_left) : "time left: ...";
  return text;
}

void ProgressLine::OnRunEvent(const RunEvent& event) {
  const int64_t now = clock_.MonotonicNanos();
  if (event.kind == RunEventKind::kStarted) started_ = now;
  if (event.kind == RunEventKind::kScanned) {
    files_ = event.count;
    bytes_ = event.bytes;
  }
  if (EndsAFile(event.kind)) {
    ++files_done_;
    bytes_done_ += event.bytes;
  }
  if (event.kind == RunEventKind::kEnded) {
    Draw();
    terminal_ << "\n" << std::flush;
    shown_ = false;
    return;
  }
  if (now - last_drawn_ >= kRedrawNanos) Draw();
}

double ProgressLine::SecondsLeft(double elapsed) {
  const double done = 0.5 * (files_ ? double(files_done_) / double(files_) : 1.0) +
                      0.5 * (bytes_ ? double(bytes_done_) / double(bytes_) : 1.0);
  if (done <= 0 || elapsed <= 0) return -1;
  if (done >= 1) return smoothed_left_ = 0;  // the last line says nothing is left
  const double left = elapsed * (1 - done) / done;
  smoothed_left_ =
      smoothed_left_ < 0 ? left : smoothed_left_ + kSmoothing * (left - smoothed_left_);
  return smoothed_left_;
}

void ProgressLine::Draw() {
  const int64_t now = clock_.MonotonicNanos();
  last_drawn_ = now;
  const double elapsed = double(now - started_) / double(kNanosPerSecond);
  const double rate = elapsed > 0 ? double(bytes_done_) / elapsed : 0;
  const std::string line =
      Text(files_done_, files_, bytes_done_, bytes_, rate, SecondsLeft(elapsed));
  // "\r" and "erase to the end of the line": the shorter new line leaves nothing behind.
  terminal_ << "\r" << line << "\033[K" << std::flush;
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  terminal_ << "\r\033[K" << std::flush;
  shown_ = false;
}

LogBesideProgress::int_type LogBesideProgress::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  progress_.Clear();
  return out_.sputc(traits_type::to_char_type(c));
}

std::streamsize LogBesideProgress::xsputn(const char* text, std::streamsize count) {
  progress_.Clear();
  return out_.sputn(text, count);
}

}  // namespace qs
