// The elements keep the order in which the Task Scheduler exports a task.
#include "schedule/task_xml.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>

namespace qs {

const char kTaskName[] = "Quillstone Backup";

namespace {

constexpr char kTaskTemplate[] = R"(<?xml version="1.0" encoding="UTF-16"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <RegistrationInfo>
    <Description>Quillstone backup with the settings in {folder}</Description>
  </RegistrationInfo>
  <Triggers>
    <TimeTrigger>
      <Repetition>
        <Interval>PT{minutes}M</Interval>
        <StopAtDurationEnd>false</StopAtDurationEnd>
      </Repetition>
      <StartBoundary>{start}</StartBoundary>
      <Enabled>true</Enabled>
    </TimeTrigger>
  </Triggers>
  <Principals>
    <Principal id="Author">
      <LogonType>InteractiveToken</LogonType>
      <RunLevel>LeastPrivilege</RunLevel>
    </Principal>
  </Principals>
  <Settings>
    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>
    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>
    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>
    <StartWhenAvailable>true</StartWhenAvailable>
    <Enabled>true</Enabled>
  </Settings>
  <Actions Context="Author">
    <Exec>
      <Command>{program}</Command>
      <Arguments>--background</Arguments>
      <WorkingDirectory>{folder}</WorkingDirectory>
    </Exec>
  </Actions>
</Task>
)";

/// The template with each `{name}` replaced by its value, in one pass, so that a value that
/// happens to hold such a name is never replaced in turn.
std::string Filled(const std::map<std::string, std::string>& values) {
  std::string text;
  for (size_t at = 0; at < sizeof(kTaskTemplate) - 1;) {
    const size_t open = std::string_view(kTaskTemplate).find('{', at);
    const size_t close = std::string_view(kTaskTemplate).find('}', open);
    text.append(kTaskTemplate + at, std::min(open, sizeof(kTaskTemplate) - 1) - at);
    if (open == std::string::npos) break;
    text += values.at(std::string(kTaskTemplate + open + 1, close - open - 1));
    at = close + 1;
  }
  return text;
}

std::string BoundaryText(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

/// The code point of the sequence at `at`, and its length; U+FFFD and 1 for a stray byte.
uint32_t DecodeAt(const std::string& text, size_t at, size_t* length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t count = 0;
  if (lead < 0x80)
    count = 1;
  else if (lead >= 0xC2 && lead < 0xE0)
    count = 2;
  else if (lead >= 0xE0 && lead < 0xF0)
    count = 3;
  else if (lead >= 0xF0 && lead < 0xF5)
    count = 4;
  uint32_t point = count == 1 ? lead : lead & (0x7F >> count);
  for (size_t i = 1; i < count; ++i) {
    if (at + i >= text.size() || (byte(at + i) & 0xC0) != 0x80) count = 0;
    if (count != 0) point = (point << 6) | (byte(at + i) & 0x3F);
  }
  const bool overlong = (count == 3 && point < 0x800) || (count == 4 && point < 0x10000);
  if (count == 0 || overlong || point > 0x10FFFF) return *length = 1, 0xFFFD;
  *length = count;
  return point;
}

void AppendUnit(std::string* bytes, uint32_t unit) {
  bytes->push_back(static_cast<char>(unit & 0xFF));
  bytes->push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string Utf16LeWithMark(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (size_t at = 0, length = 1; at < utf8.size(); at += length) {
    const uint32_t point = DecodeAt(utf8, at, &length);
    if (point < 0x10000) {
      AppendUnit(&bytes, point);
    } else {
      AppendUnit(&bytes, 0xD800 + ((point - 0x10000) >> 10));
      AppendUnit(&bytes, 0xDC00 + ((point - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

std::string TaskXml(const TaskRequest& request) {
  const int32_t minutes = std::clamp(request.intervalMinutes, 1, kMaxTaskRepeatMinutes);
  return Filled({{"folder", XmlEscaped(request.settingsFolder)},
                 {"minutes", std::to_string(minutes)},
                 {"start", BoundaryText(request.start)},
                 {"program", XmlEscaped(request.program)}});
}

}  // namespace qs
