// The FLTK window thread under Xvfb: while it runs its event loop, other threads write whole
// log entries and label texts through the window seam. Every entry arrives whole and in the
// order its thread wrote it, no write waits for ever, and the loop ends when the window is
// destroyed from another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/control_table.h"
#include "app/window_controls.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class NoEvents : public WindowEvents {
 public:
  void OnCommand(int) override {}
  void OnClose() override {}
};

const ControlLayout kPane{ControlClass::kEdit,
                          "",
                          kStyleBorder | kStyleVScroll | kStyleMultiline | kStyleReadOnly,
                          10,
                          10,
                          580,
                          300,
                          0};
const ControlLayout kLabel{ControlClass::kStatic, "", kStyleCenter, 10, 320, 180, 20, 0};

TEST(FltkWindowThreadTest, WritesFromOtherThreadsArriveWholeWhileTheLoopRuns) {
  NoEvents events;
  std::string error;
  std::unique_ptr<MainWindow> window =
      CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events, &error);
  ASSERT_NE(nullptr, window) << error;
  Control* pane_control = window->CreateControl(kPane, "");
  Control* label = window->CreateControl(kLabel, "");
  LogPane* pane = pane_control->AsLogPane();
  ASSERT_NE(nullptr, pane);
  window->Show();

  constexpr int kWriters = 4, kEntries = 150;
  std::atomic<int> done{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < kEntries; ++i) {
        const std::string entry = "writer " + std::to_string(w) + " entry " + std::to_string(i);
        pane->RunAsUnit([&] {
          pane->AppendText(entry + "\r\n");
          pane->ScrollToEnd();
        });
        label->SetText(entry);
      }
      // The last writer ends the loop, from outside the window thread.
      if (++done == kWriters) window->Destroy();
    });
  }
  EXPECT_EQ(0, window->RunMessageLoop());
  for (std::thread& writer : writers) writer.join();

  const std::vector<std::string> lines = test::PaneLines(pane_control->GetText(1 << 30));
  ASSERT_EQ(static_cast<size_t>(kWriters * kEntries), lines.size());
  std::vector<int> next(kWriters, 0);
  for (const std::string& line : lines) {
    int w = -1, i = -1;
    ASSERT_EQ(2, std::sscanf(line.c_str(), "writer %d entry %d", &w, &i)) << line;
    ASSERT_EQ(line, "writer " + std::to_string(w) + " entry " + std::to_string(i));
    EXPECT_EQ(next[static_cast<size_t>(w)]++, i) << "out of order: " << line;
  }
  EXPECT_EQ(0u, label->GetText(100).rfind("writer ", 0));
}

}  // namespace
}  // namespace qs
