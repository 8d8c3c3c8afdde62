// UTF-8 text shown on a Windows console as UTF-16 characters. A console shows bytes through
// its own code page (437, 850...), which garbles every name outside it; characters written
// with WriteConsoleW show as they are.
#pragma once

#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace qs::win32 {

class ConsoleBuffer : public std::streambuf {
 public:
  /// Shows characters; false when it could not.
  using Writer = std::function<bool(std::wstring_view)>;

  explicit ConsoleBuffer(Writer writer);
  ~ConsoleBuffer() override;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize size) override;
  /// Shows what is held, all but an unfinished UTF-8 sequence at its end, which waits for
  /// the rest of its bytes.
  int sync() override;

 private:
  Writer writer_;
  std::string held_;
};

}  // namespace qs::win32
