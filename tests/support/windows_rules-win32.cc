#include <gtest/gtest.h>

#include <cstdio>

#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_text.h"
#include "tests/support/windows_rules.h"

namespace qs::test {

namespace {

constexpr uint32_t kAccessDenied = 5;  // ERROR_ACCESS_DENIED

std::string LastComponent(const std::wstring& path) {
  return win32::WideToUtf8(path.substr(path.rfind(L'\\') + 1));
}

std::wstring SystemPath(const std::string& path) {
  std::wstring system;
  EXPECT_TRUE(win32::ToSystemPath(path, &system)) << path;
  return system;
}

}  // namespace

uint32_t WindowsRules::GetAttributes(const std::wstring& path, uint32_t* attributes) {
  return win32::RealReplaceCalls().GetAttributes(path, attributes);
}

uint32_t WindowsRules::SetAttributes(const std::wstring& path, uint32_t attributes) {
  char text[16];
  std::snprintf(text, sizeof text, " 0x%x", static_cast<unsigned>(attributes));
  Record("set ", path);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.back() += text;
  }
  return win32::RealReplaceCalls().SetAttributes(path, attributes);
}

uint32_t WindowsRules::MoveReplacing(const std::wstring& from, const std::wstring& to) {
  if (IsReadOnly(to)) {
    Record("refused ", to);
    return kAccessDenied;
  }
  Record("move ", to);
  return win32::RealReplaceCalls().MoveReplacing(from, to);
}

uint32_t WindowsRules::Remove(const std::wstring& path) {
  if (IsReadOnly(path)) {
    Record("refused ", path);
    return kAccessDenied;
  }
  Record("remove ", path);
  return win32::RealReplaceCalls().Remove(path);
}

std::vector<std::string> WindowsRules::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

bool WindowsRules::IsReadOnly(const std::wstring& path) {
  uint32_t attributes = 0;
  return win32::RealReplaceCalls().GetAttributes(path, &attributes) == 0 &&
         (attributes & win32::kAttributeReadOnly) != 0;
}

void WindowsRules::Record(const std::string& call, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(call + LastComponent(path));
}

uint32_t AttributesOf(const std::string& path) {
  uint32_t attributes = win32::kInvalidAttributes;
  win32::RealReplaceCalls().GetAttributes(SystemPath(path), &attributes);
  return attributes;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  return win32::RealReplaceCalls().SetAttributes(SystemPath(path), attributes) == 0;
}

}  // namespace qs::test
