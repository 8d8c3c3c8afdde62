// Defaults and the interval conversion shared by the window and the scheduler.
#include "settings/settings.h"

#include <cctype>
#include <cstdlib>
#include <limits>

#include "os/default_dirs.h"

namespace qs {

AppSettings DefaultSettings() {
  AppSettings settings;
  settings.sourceDir = DefaultSourceDir();
  settings.targetDir = DefaultTargetDir();
  return settings;
}

int32_t ParseIntervalText(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  int64_t value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > int64_t{1} << 32) break;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace qs
