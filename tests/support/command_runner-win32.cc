// _wsystem hands the line to cmd.exe /c, which drops the first and the last quote of a line
// that starts with one; an extra pair around the whole line keeps the caller's quotes. The
// line goes as UTF-16, so that the program run gets every name in its wide command line.
#include <stdlib.h>

#include <cstdint>

#include "tests/support/command_runner.h"

namespace qs {

namespace {

/// UTF-8 to UTF-16, a surrogate in its three-byte form passing as itself: tests hand programs
/// texts that Windows allows and UTF-8 cannot hold. False for anything else not UTF-8.
bool ToWideLine(const std::string& text, std::wstring* wide) {
  for (size_t at = 0; at < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[at]);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 0;
    if (length == 0 || at + length > text.size()) return false;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
      const uint8_t next = static_cast<uint8_t>(text[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    if (c >= 0x10000) {
      wide->push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
      wide->push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      wide->push_back(static_cast<wchar_t>(c));
    }
    at += length;
  }
  return true;
}

// cmd's status for "not recognized as a command". Under Wine it has come back, once in
// hundreds of runs, for a program that ran a moment before and after: try again then.
constexpr int kCommandNotFound = 9009;
constexpr int kTries = 3;

}  // namespace

int RunCommandLine(const std::string& command, const std::string& working_directory) {
  std::string line = command;
  // /d: the folder may be on another drive than the current one.
  if (!working_directory.empty()) line = "cd /d \"" + working_directory + "\" && " + line;
  std::wstring quoted;
  if (!ToWideLine("\"" + line + "\"", &quoted)) return -1;
  int status = kCommandNotFound;
  for (int attempt = 0; attempt < kTries && status == kCommandNotFound; ++attempt)
    status = _wsystem(quoted.c_str());
  return status;
}

}  // namespace qs
