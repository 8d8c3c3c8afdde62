// Test doubles over the real file system and std::filesystem helpers.
#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/file_time_setter.h"

namespace fs = std::filesystem;

namespace qs::test {

ScopedTempDir::ScopedTempDir() {
  static std::atomic<int> counter{0};
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate =
        base / ("qs-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code error;
  // Tests may leave directories without permissions behind; give them back first.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

std::string ScopedTempDir::operator/(const std::string& relative) const {
  return path_ + kPathSeparator + Native(relative);
}

std::string Native(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '/', kPathSeparator);
  return native;
}

void MakeDirs(const std::string& path) { fs::create_directories(path); }

void WriteFile(const std::string& path, const std::string& content, FileTime time) {
  const fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
  }
  if (time != 0) SetLastWriteTime(path, time);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_directory()) files.push_back(fs::relative(it->path(), root).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

int64_t FakeClock::MonotonicNanos() {
  std::lock_guard<std::mutex> lock(mutex_);
  return monotonic_;
}

void FakeClock::SleepMillis(int64_t millis) { Advance(millis * 1000000); }

int64_t FakeClock::WallTicks() {
  std::lock_guard<std::mutex> lock(mutex_);
  return wall_ticks_;
}

void FakeClock::Advance(int64_t nanos) {
  std::lock_guard<std::mutex> lock(mutex_);
  monotonic_ += nanos;
  wall_ticks_ += nanos / 100;
}

void FakeClock::SetWallTicks(int64_t ticks) {
  std::lock_guard<std::mutex> lock(mutex_);
  wall_ticks_ = ticks;
}

namespace {

// Like the real file systems' error code, the double's is the calling thread's own.
thread_local uint32_t t_last_error = 0;

}  // namespace

int64_t StepClock::MonotonicNanos() {
  std::lock_guard<std::mutex> lock(mutex_);
  return monotonic_;
}

void StepClock::SleepMillis(int64_t millis) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!free_ && allowed_millis_ < millis) {
    held_for_millis_ = millis;
    changed_.notify_all();
    changed_.wait(lock);
  }
  held_for_millis_ = 0;
  if (!free_) allowed_millis_ -= millis;
  slept_millis_ += millis;
  monotonic_ += millis * 1000000;
  wall_ticks_ += millis * 10000;
}

int64_t StepClock::WallTicks() {
  std::lock_guard<std::mutex> lock(mutex_);
  return wall_ticks_;
}

void StepClock::RunFor(int64_t millis) {
  std::lock_guard<std::mutex> lock(mutex_);
  allowed_millis_ += millis;
  changed_.notify_all();
}

void StepClock::Free() {
  std::lock_guard<std::mutex> lock(mutex_);
  free_ = true;
  changed_.notify_all();
}

void StepClock::WaitUntilHeld() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return held_for_millis_ > allowed_millis_; });
}

int64_t StepClock::SleptMillis() {
  std::lock_guard<std::mutex> lock(mutex_);
  return slept_millis_;
}

bool WaitUntil(const std::function<bool()>& done) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

FileTime FaultyFileSystem::Coarse(FileTime time) const {
  return timeStep == 0 ? time : time - time % timeStep;
}

PathInfo FaultyFileSystem::Stat(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    probes.push_back(path);
  }
  PathInfo info = real_.Stat(path);
  info.lastWrite = Coarse(info.lastWrite);
  return info;
}

bool FaultyFileSystem::ListDirectory(const std::string& path, DirListing* listing) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failListDirectory && failListDirectory(path)) {
    listing->entries.clear();
    t_last_error = code;
    return false;
  }
  const bool listed = real_.ListDirectory(path, listing);
  t_last_error = real_.LastErrorCode();
  return listed;
}

MakeDirResult FaultyFileSystem::MakeDirectory(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failMakeDirectory && failMakeDirectory(path)) {
    t_last_error = code;
    return MakeDirResult::Failed;
  }
  const MakeDirResult result = real_.MakeDirectory(path);
  if (result == MakeDirResult::Created) directoriesMade.push_back(path);
  t_last_error = real_.LastErrorCode();
  return result;
}

bool FaultyFileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  copies.emplace_back(from, to);
  if (failCopyTo && failCopyTo(to)) {
    t_last_error = code;
    return false;
  }
  const bool copied = real_.CopyReplacing(from, to);
  t_last_error = real_.LastErrorCode();
  if (copied && timeStep != 0) {
    // Store the copy's time as a coarse file system would.
    SetLastWriteTime(to, Coarse(real_.Stat(from).lastWrite));
  }
  return copied;
}

uint32_t FaultyFileSystem::LastErrorCode() {
  std::lock_guard<std::mutex> lock(mutex_);
  return t_last_error;
}

bool GatedFileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
    --waiting_;
  }
  return real_.CopyReplacing(from, to);
}

void GatedFileSystem::WaitUntilCopyWaiting() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return waiting_ > 0; });
}

void GatedFileSystem::Open() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = true;
  changed_.notify_all();
}

JobServices TestServices(FileSystem* fs, Clock* clock, std::ostream* console, StatusSink* status) {
  JobServices services;
  services.fs = fs;
  services.log.clock = clock;
  services.log.console = console;
  services.log.status = status;
  return services;
}

JobFixture::JobFixture(bool time_versioning)
    : job_(dir_ / "src", dir_ / "dst", &backup_pane_, &file_pane_, time_versioning,
           TestServices(&fs_, &clock_, &console_)) {}

std::vector<std::string> JobFixture::BackupLog() {
  return WithoutStamps(PaneLines(backup_pane_.Text()));
}

std::vector<std::string> PaneLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  if (at < text.size()) lines.push_back(text.substr(at));
  return lines;
}

std::vector<std::string> WithoutStamps(const std::vector<std::string>& lines) {
  std::vector<std::string> result;
  for (const std::string& line : lines) {
    const bool stamped = line.size() >= 26 && line[0] == '[' && line[24] == ']' && line[25] == ' ';
    result.push_back(stamped ? line.substr(26) : line);
  }
  return result;
}

}  // namespace qs::test
