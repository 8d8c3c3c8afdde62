// A stream's failure leaves the C library's code behind it, a rename the file system
// library's (on Windows often the system's own): each code's category gives its words.
#include "settings/file_replace.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace qs {

namespace {

/// A path from a UTF-8 text. On Windows std::filesystem takes a narrow text through the C
/// runtime's code page, never as UTF-8; on POSIX both forms are the bytes as they are.
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool Failed(const std::error_code& error, std::string* why) {
  if (why != nullptr) *why = error ? error.message() : "the file could not be written";
  return false;
}

/// The code the last stream operation left; errno is cleared before each, so 0 is "none".
std::error_code StreamError() { return std::error_code(errno, std::generic_category()); }

}  // namespace

bool ReplaceFileWith(const std::string& path, const std::string& content, std::string* why) {
  const std::filesystem::path temp = PathOf(path + ".new");
  std::error_code error;
  {
    errno = 0;
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    if (!file) return Failed(StreamError(), why);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.close();
    if (!file) {
      const std::error_code failed = StreamError();
      std::filesystem::remove(temp, error);
      return Failed(failed, why);
    }
  }
  std::filesystem::rename(temp, PathOf(path), error);
  if (!error) return true;
  const std::error_code failed = error;
  std::filesystem::remove(temp, error);
  return Failed(failed, why);
}

std::string NotSavedText(const std::string& path, const std::string& why) {
  return "Settings not saved to " + path + ": " + why;
}

}  // namespace qs
