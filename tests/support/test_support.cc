// Test doubles over the real file system and std::filesystem helpers.
#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "engine/backup_request.h"
#include "engine/record_store.h"
#include "tests/support/file_time_setter.h"
#include "tests/support/file_tree.h"

namespace fs = std::filesystem;

namespace qs::test {

FileSystem& RealFs() {
  static const std::unique_ptr<FileSystem> real = MakeRealFileSystem();
  return *real;
}

namespace {

/// A path from a UTF-8 text: on Windows std::filesystem takes a narrow text through the C
/// runtime's code page, a char8_t text as UTF-8; on POSIX both are bytes as they are.
fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string TextOf(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  static std::atomic<int> counter{0};
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate =
        base / ("qs-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = TextOf(candidate);
      return;
    }
  }
}

ScopedTempDir::~ScopedTempDir() { RemoveTree(path_); }

std::string ScopedTempDir::operator/(const std::string& relative) const {
  return path_ + kPathSeparator + Native(relative);
}

std::string Native(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '/', kPathSeparator);
  return native;
}

void MakeDirs(const std::string& path) { fs::create_directories(PathOf(path)); }

void WriteFile(const std::string& path, const std::string& content, FileTime time) {
  const fs::path parent = PathOf(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out << content;
  }
  if (!time.IsZero()) SetLastWriteTime(path, time);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(PathOf(path));
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(PathOf(path), error));
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> files = ListFilesBelow(root);
  const std::string record = std::string(kRecordFolderName) + "/";
  std::erase_if(files, [&](const std::string& file) { return file.rfind(record, 0) == 0; });
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
  if (!changed_.wait_for(lock, kLongestWait, [this] { return held_for_millis_ > allowed_millis_; }))
    ADD_FAILURE() << "no sleeper was held within " << kLongestWait.count() << " s";
}

int64_t StepClock::SleptMillis() {
  std::lock_guard<std::mutex> lock(mutex_);
  return slept_millis_;
}

bool WaitUntil(const std::function<bool()>& done) {
  const auto give_up = std::chrono::steady_clock::now() + kLongestWait;
  while (!done()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

namespace {

/// The entry of `dir` whose name equals `name` but for ASCII case; empty when none.
std::string FoldedMatch(const std::string& dir, const std::string& name) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  DirListing listing;
  if (!RealFs().ListDirectory(dir.empty() ? "." : dir, &listing)) return "";
  for (const DirEntry& entry : listing.entries)
    if (lower(entry.name) == lower(name)) return entry.name;
  return "";
}

/// True when the folder of `path` holds its name under another spelling only (ASCII case).
bool FoldedOtherwise(const std::string& path) {
  const size_t slash = path.rfind(kPathSeparator);
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash);
  const std::string name = path.substr(slash + 1);
  if (RealFs().Probe(path) != PathKind::Missing) return false;  // there as it is spelt
  const std::string match = FoldedMatch(dir, name);
  return !match.empty() && match != name;
}

/// The real pending copy, with each step recorded in the double's events.
class RecordingPendingCopy : public PendingCopy {
 public:
  RecordingPendingCopy(std::unique_ptr<PendingCopy> real, std::string to, FaultyFileSystem& fs)
      : real_(std::move(real)), to_(std::move(to)), fs_(fs) {}
  uint64_t Volume() const override { return real_->Volume(); }
  bool FlushedWithVolume() const override {
    return fs_.wholeVolumeFlush && real_->FlushedWithVolume();
  }
  bool Flush() override {
    fs_.Record("flush " + to_);
    if (fs_.FailsFlushOf(to_)) return false;
    return Result(real_->Flush());
  }
  bool Publish() override {
    fs_.Record("publish " + to_);
    if (fs_.foldsCase && FoldedOtherwise(to_)) {
      t_last_error = kErrorStoredUnderOtherName;
      return false;
    }
    return Result(real_->Publish());
  }
  bool PublishNew() override {
    fs_.Record("publish-new " + to_);
    return Result(real_->PublishNew());
  }
  uint32_t AttributesNotKept() const override {
    return fs_.dropAttributesOf && fs_.dropAttributesOf(to_) ? 95 : real_->AttributesNotKept();
  }
  CopiedContent Content() const override { return real_->Content(); }

 private:
  bool Result(bool done) {
    if (!done) t_last_error = RealFs().LastErrorCode();
    return done;
  }
  std::unique_ptr<PendingCopy> real_;
  const std::string to_;
  FaultyFileSystem& fs_;
};

}  // namespace

void FaultyFileSystem::Record(const std::string& event) {
  std::lock_guard<std::mutex> lock(mutex_);
  events.push_back(event);
}

size_t FaultyFileSystem::EventCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events.size();
}

bool FaultyFileSystem::FailsFlushOf(const std::string& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!failFlushOf || !failFlushOf(to)) return false;
  t_last_error = code;
  return true;
}

bool FaultyFileSystem::IsCoarse(const std::string& path) const {
  return timeStep != 0 && path.compare(0, coarseRoot.size(), coarseRoot) == 0;
}

PathInfo FaultyFileSystem::Stat(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    probes.push_back(path);
    if (failStatOf && failStatOf(path)) {
      t_last_error = code;
      return {PathKind::Unreadable, {}, 0, 0, {}};
    }
  }
  PathInfo info = real_.Stat(path);
  if (info.kind == PathKind::Missing && foldsCase) {
    const size_t slash = path.rfind(kPathSeparator);
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash);
    const std::string match = FoldedMatch(dir, path.substr(slash + 1));
    if (!match.empty()) info = real_.Stat(dir.empty() ? match : dir + kPathSeparator + match);
  }
  if (IsCoarse(path)) info.lastWrite = CutDown(info.lastWrite, timeStep);
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
  MakeDirResult result = real_.MakeDirectory(path);
  if (claimMadeDirectory && claimMadeDirectory(path)) result = MakeDirResult::Created;
  if (result == MakeDirResult::Created) directoriesMade.push_back(path);
  t_last_error = real_.LastErrorCode();
  return result;
}

std::unique_ptr<PendingCopy> FaultyFileSystem::PrepareCopy(const std::string& from,
                                                           const std::string& to) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    copies.emplace_back(from, to);
    events.push_back("prepare " + to);
    if (failCopyTo && failCopyTo(to)) {
      t_last_error = code;
      return nullptr;
    }
    if (changeWhileCopying && changeWhileCopying(from)) {
      t_last_error = kErrorSourceChanged;
      return nullptr;
    }
  }
  std::unique_ptr<PendingCopy> copy = real_.PrepareCopy(from, to);
  if (copy == nullptr) {
    t_last_error = real_.LastErrorCode();
    return nullptr;
  }
  return std::make_unique<RecordingPendingCopy>(std::move(copy), to, *this);
}

bool FaultyFileSystem::SyncVolume(const std::string& path) {
  Record("sync-volume " + path);
  if (!wholeVolumeFlush) {
    t_last_error = 95;
    return false;
  }
  if (FailsFlushOf(path)) return false;
  if (failVolumeFlushes) {
    t_last_error = code;
    return false;
  }
  const bool synced = real_.SyncVolume(path);
  t_last_error = real_.LastErrorCode();
  return synced;
}

bool FaultyFileSystem::SyncDirectory(const std::string& path) {
  Record("sync-directory " + path);
  if (FailsFlushOf(path)) return false;
  const bool synced = real_.SyncDirectory(path);
  t_last_error = real_.LastErrorCode();
  return synced;
}

bool FaultyFileSystem::CreateEmptyFile(const std::string& path) {
  Record("create " + path);
  const bool created = real_.CreateEmptyFile(path);
  t_last_error = real_.LastErrorCode();
  return created;
}

bool FaultyFileSystem::SetLastWriteTime(const std::string& path, FileTime time) {
  if (dropTimes) return true;
  const bool set = real_.SetLastWriteTime(path, time);
  t_last_error = real_.LastErrorCode();
  return set;
}

bool FaultyFileSystem::IsStoredUnderItsName(const std::string& path) {
  if (foldsCase && FoldedOtherwise(path)) {
    t_last_error = kErrorStoredUnderOtherName;
    return false;
  }
  const bool stored = real_.IsStoredUnderItsName(path);
  t_last_error = real_.LastErrorCode();
  return stored;
}

bool FaultyFileSystem::WriteWholeFile(const std::string& path, const std::string& content) {
  if (failWriteOf && failWriteOf(path)) {
    t_last_error = code;
    return false;
  }
  const bool written = real_.WriteWholeFile(path, content);
  t_last_error = real_.LastErrorCode();
  return written;
}

bool FaultyFileSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  if (failAppendOf && failAppendOf(path)) {
    t_last_error = code;
    return false;
  }
  const bool appended = real_.AppendToFile(path, bytes);
  t_last_error = real_.LastErrorCode();
  return appended;
}

uint32_t FaultyFileSystem::LastErrorCode() { return t_last_error; }

std::unique_ptr<PendingCopy> GatedFileSystem::PrepareCopy(const std::string& from,
                                                          const std::string& to) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    // Bounded, so that a test that fails before it opens the gate cannot hang the program.
    changed_.wait_for(lock, kLongestWait, [this] { return open_; });
    --waiting_;
  }
  return real_.PrepareCopy(from, to);
}

void GatedFileSystem::WaitUntilCopyWaiting() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!changed_.wait_for(lock, kLongestWait, [this] { return waiting_ > 0; }))
    ADD_FAILURE() << "no copy reached the gate within " << kLongestWait.count() << " s";
}

void GatedFileSystem::Open() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = true;
  changed_.notify_all();
}

JobServices TestServices(FileSystem* fs, Clock* clock, std::ostream* console) {
  JobServices services;
  services.fs = fs;
  services.log.clock = clock;
  services.log.console = console;
  return services;
}

JobFixture::JobFixture(bool time_versioning)
    // The file lines of a copy outside a run show paths below the source, as a run's do.
    : logs_(&backup_pane_, &file_pane_, clock_, &console_,
            WithRootSeparators(BackupOptions::Of(dir_ / "src", "", false)).sourceRoot),
      job_(fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", time_versioning), logs_) {}

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
