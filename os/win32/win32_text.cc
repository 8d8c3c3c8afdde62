// MultiByteToWideChar and WideCharToMultiByte with CP_UTF8 and their "invalid characters"
// flags: a text either converts exactly or not at all.
#include "os/win32/win32_text.h"

#include <windows.h>

#include <climits>

#include "os/win32/win32_error.h"

namespace qs::win32 {

namespace {

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

/// Every code unit converted; pairs as one code point, lone surrogates as themselves.
std::string EncodeKeepingLoneSurrogates(std::wstring_view wide) {
  std::string out;
  for (size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    if (IsHigh(c) && i + 1 < wide.size() && IsLow(wide[i + 1])) {
      AppendUtf8(0x10000 + ((char32_t{c} - 0xD800) << 10) + (char32_t{wide[++i]} - 0xDC00), &out);
    } else {
      AppendUtf8(static_cast<char32_t>(c), &out);
    }
  }
  return out;
}

}  // namespace

bool Utf8ToWide(std::string_view text, std::wstring* wide) {
  wide->clear();
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return FailWith(ERROR_FILENAME_EXCED_RANGE);
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return Fail();
  wide->resize(static_cast<size_t>(length));
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide->data(), length) !=
      length) {
    wide->clear();
    return Fail();
  }
  return true;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX / 4) return EncodeKeepingLoneSurrogates(wide);
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr,
                                         0, nullptr, nullptr);
  if (length <= 0) return EncodeKeepingLoneSurrogates(wide);
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, text.data(), length,
                      nullptr, nullptr);
  return text;
}

std::wstring Utf8ToWideForDisplay(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::wstring_view FirstUnits(std::wstring_view wide, size_t count) {
  if (count >= wide.size()) return wide;
  if (count > 0 && IsHigh(wide[count - 1])) --count;
  return wide.substr(0, count);
}

}  // namespace qs::win32
