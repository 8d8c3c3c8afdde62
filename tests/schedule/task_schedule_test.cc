// The Task Scheduler task: registered, removed and shown through recorded schtasks commands.
#include <gtest/gtest.h>

#include "tests/support/schedule_fixture.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class TaskScheduleTest : public test::BackgroundScheduleTest {};

TEST_F(TaskScheduleTest, TaskInstallHandsSchtasksAUtf16FileAndRemovesIt) {
  std::string xml_path, xml;
  runner_.onRun = [&](const std::vector<std::string>& args) {
    if (args.size() > 3 && args[1] == "/Create") xml = test::ReadFile(xml_path = args[3]);
  };
  ASSERT_EQ(0, Task(ScheduleAction::kInstall)) << out_.str();
  ASSERT_EQ(1u, runner_.calls.size());
  EXPECT_EQ("schtasks /Create /XML " + xml_path + " /TN Quillstone Backup /F", runner_.calls[0]);
  EXPECT_EQ(0u, xml_path.find(dir_.path()));
  EXPECT_EQ(std::string("\xFF\xFE<\0", 4), xml.substr(0, 4));
  EXPECT_FALSE(test::Exists(xml_path));
  EXPECT_TRUE(Said("runs " + request_.program + " --background in " + request_.settingsFolder +
                   " every 30 minutes"));
}

TEST_F(TaskScheduleTest, TaskFailuresAreReportedWithWhatSchtasksSaid) {
  runner_.answers["schtasks /Create"] = {1, "ERROR: Access is denied.\r\n"};
  EXPECT_EQ(1, Task(ScheduleAction::kInstall));
  EXPECT_TRUE(Said("could not be registered: schtasks said \"ERROR: Access is denied.\""));
  runner_.answers["schtasks /Query"] = {1, "ERROR: The system cannot find the file specified.\r\n"};
  EXPECT_EQ(0, Task(ScheduleAction::kRemove));
  EXPECT_TRUE(Said("No background schedule is registered"));
  EXPECT_EQ(1u, runner_.calls.size());  // the query only: nothing to delete
  EXPECT_EQ(0, Task(ScheduleAction::kShow));
  EXPECT_TRUE(Said("Background schedule: not registered"));
}

TEST_F(TaskScheduleTest, TaskRemoveDeletesARegisteredTask) {
  EXPECT_EQ(0, Task(ScheduleAction::kRemove));
  EXPECT_EQ((std::vector<std::string>{"schtasks /Query /TN Quillstone Backup",
                                      "schtasks /Delete /TN Quillstone Backup /F"}),
            runner_.calls);
  runner_.answers["schtasks /Delete"] = {1, "ERROR: Access is denied.\r\n"};
  EXPECT_EQ(1, Task(ScheduleAction::kRemove));
}

TEST_F(TaskScheduleTest, AQueryThatSaysNothingIsNotTakenForATask) {
  runner_.answers["schtasks /Query"] = {0, ""};  // Wine's schtasks knows no /Query
  EXPECT_EQ(1, Task(ScheduleAction::kShow));
  EXPECT_TRUE(Said("schtasks /Query said nothing of the task \"Quillstone Backup\"."));
  runner_.answers["schtasks /Query"] = {0, "Folder: \\\r\nTaskName: \\Quillstone Backup\r\n"};
  EXPECT_EQ(0, Task(ScheduleAction::kShow));
  EXPECT_TRUE(Said("Background schedule: the task \"Quillstone Backup\"\nFolder:"));
}

}  // namespace
}  // namespace qs
