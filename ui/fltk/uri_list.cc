// Decoding a dropped URI list. Pure: no toolkit, so that it is tested on its own.
#include "ui/fltk/uri_list.h"

#include <optional>

namespace qs::fltk {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX becomes its byte; a '%' without two hex digits after it stays as it is.
std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::optional<std::string> PathOfLine(std::string_view line) {
  if (line.empty() || line[0] == '#') return std::nullopt;
  if (line[0] == '/') return std::string(line);
  constexpr std::string_view kScheme = "file://";
  if (line.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  line.remove_prefix(kScheme.size());
  const size_t slash = line.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = line.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;  // another machine's file
  return Unescape(line.substr(slash));
}

}  // namespace

std::vector<std::string> PathsFromUriList(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (std::optional<std::string> path = PathOfLine(line)) paths.push_back(std::move(*path));
  }
  return paths;
}

}  // namespace qs::fltk
