// The Task Scheduler task: the values that keep backups on laptops, and its encoding.
#include "schedule/task_xml.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

/// The text of the only element `name` in `xml`; "" when there is not exactly one.
std::string Element(const std::string& xml, const std::string& name) {
  const std::string open = "<" + name + ">", close = "</" + name + ">";
  const size_t start = xml.find(open);
  if (start == std::string::npos || xml.find(open, start + 1) != std::string::npos) return "";
  const size_t end = xml.find(close, start);
  return xml.substr(start + open.size(), end - start - open.size());
}

TaskRequest Request(int32_t minutes) {
  return {"C:\\Users\\Ann\\AppData\\Local\\Programs\\Quillstone\\quillstone-run.exe",
          "C:\\Users\\Ann\\AppData\\Roaming\\Quillstone",
          minutes,
          {2026, 12, 9, 8, 5, 3}};
}

TEST(TaskXmlTest, TheTaskRepeatsEveryIntervalAndKeepsBackupsOnLaptops) {
  const std::string xml = TaskXml(Request(45));
  EXPECT_NE(std::string::npos, xml.find("<TimeTrigger>"));
  EXPECT_EQ("PT45M", Element(xml, "Interval"));
  EXPECT_EQ("2026-12-09T08:05:03", Element(xml, "StartBoundary"));
  EXPECT_EQ("true", Element(xml, "StartWhenAvailable"));
  EXPECT_EQ("false", Element(xml, "DisallowStartIfOnBatteries"));
  EXPECT_EQ("false", Element(xml, "StopIfGoingOnBatteries"));
  EXPECT_EQ("IgnoreNew", Element(xml, "MultipleInstancesPolicy"));
  EXPECT_EQ("InteractiveToken", Element(xml, "LogonType"));
  EXPECT_EQ("LeastPrivilege", Element(xml, "RunLevel"));
  EXPECT_EQ(Request(45).program, Element(xml, "Command"));
  EXPECT_EQ("--background", Element(xml, "Arguments"));
  EXPECT_EQ(Request(45).settingsFolder, Element(xml, "WorkingDirectory"));
}

TEST(TaskXmlTest, IntervalsBeyondWhatTheSchedulerTakesAreClamped) {
  EXPECT_EQ("PT44640M", Element(TaskXml(Request(35791394)), "Interval"));
  EXPECT_EQ("PT1M", Element(TaskXml(Request(0)), "Interval"));
}

TEST(TaskXmlTest, ReservedCharactersOfPathsAreEscapedAndNeverFilledTwice) {
  TaskRequest request = Request(5);
  request.settingsFolder = "C:\\R&D <{program}>";
  const std::string xml = TaskXml(request);
  EXPECT_EQ("C:\\R&amp;D &lt;{program}&gt;", Element(xml, "WorkingDirectory"));
  EXPECT_EQ("a&quot;b&apos;c", XmlEscaped("a\"b'c"));
}

TEST(TaskXmlTest, TheFileIsUtf16WithAByteOrderMark) {
  EXPECT_EQ(std::string("\xFF\xFE"
                        "A\0\xE9\0",
                        6),
            Utf16LeWithMark("A\xC3\xA9"));
  // U+1F600 as a surrogate pair; a stray byte as U+FFFD; a lone surrogate as itself.
  EXPECT_EQ(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), Utf16LeWithMark("\xF0\x9F\x98\x80"));
  EXPECT_EQ(std::string("\xFF\xFE\xFD\xFF", 4), Utf16LeWithMark("\xFF"));
  EXPECT_EQ(std::string("\xFF\xFE\x00\xD8", 4), Utf16LeWithMark("\xED\xA0\x80"));
  EXPECT_EQ(std::string("\xFF\xFE\xFD\xFF\x41\x00", 6), Utf16LeWithMark("\xC3\x41"));
}

}  // namespace
}  // namespace qs
