// Text is held until the stream is flushed (once per line on a console), or until it grows
// large, then converted whole: a character split over two writes still shows as one.
#include "os/win32/win32_console_buffer.h"

#include <cstdint>

#include "os/win32/win32_text.h"

namespace qs::win32 {

namespace {

constexpr size_t kMaxHeld = 1 << 16;

/// Where an unfinished UTF-8 sequence at the end of `text` begins; text.size() when none.
size_t CompleteLength(std::string_view text) {
  const size_t end = text.size();
  for (size_t back = 1; back <= 4 && back <= end; ++back) {
    const uint8_t byte = static_cast<uint8_t>(text[end - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return needed > back ? end - back : end;
  }
  return end;
}

}  // namespace

ConsoleBuffer::ConsoleBuffer(Writer writer) : writer_(std::move(writer)) {}

ConsoleBuffer::~ConsoleBuffer() { sync(); }

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  held_.push_back(traits_type::to_char_type(c));
  if (held_.size() >= kMaxHeld && sync() != 0) return traits_type::eof();
  return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* text, std::streamsize size) {
  held_.append(text, static_cast<size_t>(size));
  if (held_.size() >= kMaxHeld && sync() != 0) return 0;
  return size;
}

int ConsoleBuffer::sync() {
  const size_t complete = CompleteLength(held_);
  if (complete == 0) return 0;
  const std::wstring wide = Utf8ToWideForDisplay(std::string_view(held_).substr(0, complete));
  held_.erase(0, complete);
  return writer_(wide) ? 0 : -1;
}

}  // namespace qs::win32
