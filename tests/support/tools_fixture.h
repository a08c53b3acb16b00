#pragma once

// The main window with the real tools behind its commands, on the headless backend: the
// clock is a fake and the shutdown only records.
#include "core/kezo_dialogs.h"
#include "dialog_scripts.h"
#include "main_window_fixture.h"
#include "recording_shutdown.h"
#include "tools_resource.h"

class ToolsTest : public MainWindowTest {
 protected:
  ToolsTest() {
    std::filesystem::path images = folder_.path() / "Images";
    test_pictures::Write(images / "Time_Machine.png", test_pictures::Png(48, 48, [](int, int) { return 0x3366CCu; }));
    auto strip = [](int x, int) { return x < 26 ? 0xFFFFFFu : 0xDDDDDDu; };
    test_pictures::Write(images / "CloseButton.bmp", test_pictures::Bmp(78, 26, strip));
    test_pictures::Write(images / "dropdown.bmp", test_pictures::Bmp(78, 26, strip));
  }
  ~ToolsTest() override {
    if (main_) main_->Teardown();
    main_.reset();
    TheSetup().RestReminderTime = 0;
    TheSetup().tipStyleChanged = false;
  }

  void OpenWithTools() {
    main_ = std::make_unique<CKEZODlg>(
        lists_, CKEZODlg::Collaborators{&tools_, &forced_, &lock_, nullptr, [](auto work) { work(); }});
    main_->SetQuitsOnDestroy(true);
    ASSERT_TRUE(main_->Create());
    system_.TakeFirstRegistration();
  }
  void RunTrayCommand(int command) {
    ui_.on_menu = [command](const MenuModel&) { return command; };
    ui_.SendTrayEvent(*main_, TrayEvent::kRightButtonUp);
    ui_.on_menu = nullptr;
  }
  HeadlessWindow& WindowOf(CDialog& dialog) { return *ui_.WindowOf(dialog); }

  RecordingShutdown shutdown_;
  ScopedSeam<SystemShutdown> shutdown_seam_{shutdown_};
  KezoDialogs tools_;
  DialogScripts scripts_{ui_};
};
