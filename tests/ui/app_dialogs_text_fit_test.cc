// Every dialog the menu opens, made by the program itself in the real window, with each of
// its texts measured in its control's font against the control's box.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/about_dialog.h"
#include "app/app_context.h"
#include "app/exclusions_dialog.h"
#include "app/main_window.h"
#include "app/operation_dialogs.h"
#include "app/restore_dialogs.h"
#include "os/clock.h"
#include "os/file_system.h"
#include "tests/support/test_support.h"
#include "tests/ui/event_pump.h"

// <windows.h>, which a test beside this one may bring in, names CreateDialogW so.
#undef CreateDialog

namespace qs {
namespace {

struct MadeControl {
  std::string dialog;
  ControlLayout layout;
  Control* control;
};

class RecordingDialog : public DialogWindow {
 public:
  RecordingDialog(std::unique_ptr<DialogWindow> real, std::string caption,
                  std::vector<MadeControl>& made)
      : real_(std::move(real)), caption_(std::move(caption)), made_(made) {}
  Control* CreateControl(const ControlLayout& layout, const std::string& text) override {
    Control* control = real_->CreateControl(layout, text);
    made_.push_back({caption_, layout, control});
    return control;
  }
  void Show() override { real_->Show(); }
  void Hide() override { real_->Hide(); }
  bool Shown() override { return real_->Shown(); }

 private:
  std::unique_ptr<DialogWindow> real_;
  std::string caption_;
  std::vector<MadeControl>& made_;
};

/// The real window, with what its dialogs are made of written down.
class RecordingWindow : public MainWindow {
 public:
  explicit RecordingWindow(std::unique_ptr<MainWindow> real) : real_(std::move(real)) {}
  Control* CreateControl(const ControlLayout& layout, const std::string& text) override {
    return real_->CreateControl(layout, text);
  }
  void Show() override { real_->Show(); }
  int RunMessageLoop() override { return real_->RunMessageLoop(); }
  void Destroy() override { real_->Destroy(); }
  void RunOnWindowThread(const std::function<void()>& work) override {
    real_->RunOnWindowThread(work);
  }
  void SetMenu(std::span<const MenuItem> items) override { real_->SetMenu(items); }
  std::unique_ptr<DialogWindow> CreateDialog(const std::string& caption, int width, int height,
                                             WindowEvents& events) override {
    captions.push_back(caption);
    std::unique_ptr<DialogWindow> real = real_->CreateDialog(caption, width, height, events);
    if (real == nullptr) return nullptr;
    auto dialog = std::make_unique<RecordingDialog>(std::move(real), caption, made);
    dialogs.push_back(dialog.get());
    return dialog;
  }

  std::vector<std::string> captions;
  /// Owned by the program's context, which outlives none of the test's uses of them.
  std::vector<RecordingDialog*> dialogs;
  std::vector<MadeControl> made;

 private:
  std::unique_ptr<MainWindow> real_;
};

class NoEvents : public WindowEvents {
 public:
  void OnCommand(int) override {}
  void OnClose() override {}
};

TEST(AppDialogsTextFitTest, EveryTextOfEveryDialogFitsItsBox) {
  test::ScopedTempDir dir;
  test::MakeDirs(dir / "src/docs");
  test::WriteFile(dir / "src/docs/a.txt", "alpha");
  test::MakeDirs(dir / "dst");
  test::WriteFile(dir / "backup_config.dat",
                  dir / "src" + "\r\n" + dir / "dst" + "\r\n60\r\n0\r\n0\r\n");
  NoEvents events;
  std::string error;
  std::unique_ptr<MainWindow> real =
      CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events, &error);
  ASSERT_NE(nullptr, real) << error;
  RecordingWindow window(std::move(real));
  const std::unique_ptr<FileSystem> fs = MakeRealFileSystem();
  {
    AppContext app(*fs, RealClock());
    app.settingsPath = dir / "backup_config.dat";
    app.preferencesPath = dir / "backup_preferences.txt";
    OnCreate(app, window, [] {});
    window.Show();
    for (void (*open)(AppContext&) : {OnExclusions, OnAbout, OpenPruneDialog, OpenCheckDialog,
                                      OpenRestoreDialog, OpenVersionsDialog})
      open(app);
    // The restore dialog reads the target on a worker, which writes to its controls.
    for (int waited = 0; app.threads.Running() > 0 && waited < 20000; waited += 50)
      test::PumpEvents(50);
    ASSERT_EQ(0, app.threads.Running());
    test::PumpEvents(100);
    EXPECT_EQ(6u, window.captions.size());

    int measured = 0;
    for (const MadeControl& made : window.made) {
      const std::string text = made.control->GetText(1 << 16);
      const TextFit fit = made.control->MeasureText();
      if (made.layout.controlClass != ControlClass::kEdit && !text.empty()) {
        EXPECT_GT(fit.text_width, 0) << made.dialog << ": \"" << text << "\" was not measured";
        ++measured;
      }
      EXPECT_TRUE(fit.Fits()) << made.dialog << ": \"" << text << "\" takes " << fit.text_width
                              << "x" << fit.text_height << " px, has " << fit.room_width << "x"
                              << fit.room_height;
    }
    EXPECT_GT(measured, 30);
    // Nothing is left on the screen: a later test's message loop runs until no window is.
    for (RecordingDialog* dialog : window.dialogs) dialog->Hide();
    window.Destroy();
    test::PumpEvents(50);
  }
}

}  // namespace
}  // namespace qs
