// The reader follows the rules of a text stream: two marks, end-of-file and failed; once
// either is set, no later value is read and every later field keeps its default.
#include "settings/settings_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "os/ansi_text.h"
#include "settings/file_replace.h"
#include "settings/utf8_text.h"

namespace qs {

const char kSettingsFileName[] = "backup_config.dat";

namespace {

// Anything this long is not a settings file; reading stops there.
constexpr std::streamsize kMaxSettingsBytes = 1 << 20;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

/// A path from a UTF-8 text. On Windows std::filesystem takes a narrow text through the C
/// runtime's code page, never as UTF-8; on POSIX both forms are the bytes as they are.
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

/// The file's text as UTF-8. Older builds wrote it in the system's ANSI code page: a file
/// that is not UTF-8 is read in that. An editor's byte-order mark is not part of the text.
std::string AsUtf8(std::string content) {
  if (content.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) content.erase(0, kUtf8Mark.size());
  return IsValidUtf8(content) ? content : SystemAnsiToUtf8(content);
}

class SettingsReader {
 public:
  explicit SettingsReader(const std::string& content) : content_(content) {}

  bool Good() const { return !eof_ && !failed_; }

  void ReadLine(std::string* field) {
    if (!Good()) return Fail();
    field->clear();
    const size_t newline = content_.find('\n', at_);
    if (newline == std::string::npos) {
      field->assign(content_, at_, std::string::npos);
      at_ = content_.size();
      eof_ = true;
      if (field->empty()) failed_ = true;
      return;
    }
    field->assign(content_, at_, newline - at_);
    if (!field->empty() && field->back() == '\r') field->pop_back();
    at_ = newline + 1;
  }

  void ReadInt(int32_t* field) {
    const Number number = ReadNumber();
    if (number.status != NumberStatus::kNotRun) *field = static_cast<int32_t>(number.value);
  }

  void ReadFlag(bool* field) {
    const Number number = ReadNumber();
    if (number.status == NumberStatus::kNotRun) return;
    *field = number.value != 0;
    // Only 0 and 1 are flags; any other number counts as true but ends the reading.
    if (number.value != 0 && number.value != 1) failed_ = true;
  }

 private:
  enum class NumberStatus { kNotRun, kNoDigits, kOutOfRange, kOk };
  struct Number {
    NumberStatus status;
    int64_t value;  ///< 0 without digits; the nearest 32-bit limit when out of range
  };

  void Fail() { failed_ = true; }

  static bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  Number ReadNumber() {
    if (!Good()) {
      Fail();
      return {NumberStatus::kNotRun, 0};
    }
    while (at_ < content_.size() && IsSpace(content_[at_])) ++at_;
    if (at_ == content_.size()) {
      eof_ = failed_ = true;
      return {NumberStatus::kNotRun, 0};
    }
    bool negative = false;
    if (content_[at_] == '+' || content_[at_] == '-') negative = content_[at_++] == '-';
    return ReadDigits(negative);
  }

  Number ReadDigits(bool negative) {
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    const size_t first = at_;
    int64_t magnitude = 0;
    for (; at_ < content_.size() && IsDigit(content_[at_]); ++at_)
      magnitude = std::min<int64_t>(magnitude * 10 + (content_[at_] - '0'), kMax + 2);
    if (at_ == content_.size()) eof_ = true;
    if (at_ == first) {
      failed_ = true;
      return {NumberStatus::kNoDigits, 0};
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > kMax || value < kMin) {
      failed_ = true;
      return {NumberStatus::kOutOfRange, value < 0 ? kMin : kMax};
    }
    return {NumberStatus::kOk, value};
  }

  const std::string& content_;
  size_t at_ = 0;
  bool eof_ = false;
  bool failed_ = false;
};

}  // namespace

AppSettings ParseSettings(const std::string& content, const AppSettings& defaults) {
  AppSettings settings = defaults;
  SettingsReader reader(content);
  reader.ReadLine(&settings.sourceDir);
  reader.ReadLine(&settings.targetDir);
  reader.ReadInt(&settings.intervalMinutes);
  reader.ReadFlag(&settings.autoBackupEnabled);
  reader.ReadFlag(&settings.timeVersioning);
  return settings;
}

namespace {

/// The file's text as UTF-8; false when it cannot be read.
bool ReadSettingsText(const std::string& path, std::string* text) {
  std::ifstream file(PathOf(path), std::ios::binary);
  if (!file) return false;
  std::string content(static_cast<size_t>(kMaxSettingsBytes), '\0');
  file.read(content.data(), kMaxSettingsBytes);
  // A read error (a folder of that name opens, then fails to read) is not an empty file.
  if (file.bad()) return false;
  content.resize(static_cast<size_t>(file.gcount()));
  *text = AsUtf8(std::move(content));
  return true;
}

}  // namespace

AppSettings LoadSettings(const std::string& path) {
  std::string text;
  if (!ReadSettingsText(path, &text)) return DefaultSettings();
  return ParseSettings(text, DefaultSettings());
}

bool LoadSettingsWithFolders(const std::string& path, AppSettings* settings) {
  std::string text;
  if (!ReadSettingsText(path, &text)) return false;
  AppSettings without_folders = DefaultSettings();
  without_folders.sourceDir.clear();
  without_folders.targetDir.clear();
  *settings = ParseSettings(text, without_folders);
  return !settings->sourceDir.empty() && !settings->targetDir.empty();
}

std::string FormatSettings(const AppSettings& settings) {
  std::ostringstream out;
  out << settings.sourceDir << "\r\n"
      << settings.targetDir << "\r\n"
      << settings.intervalMinutes << "\r\n"
      << (settings.autoBackupEnabled ? "1" : "0") << "\r\n"
      << (settings.timeVersioning ? "1" : "0") << "\r\n";
  return out.str();
}

bool SaveSettings(const AppSettings& settings, const std::string& path, std::string* why) {
  return ReplaceFileWith(path, FormatSettings(settings), why);
}

}  // namespace qs
