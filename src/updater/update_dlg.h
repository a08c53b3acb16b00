#pragma once

#include <cstdint>
#include <string>
#include <thread>

#include "framework/dialog.h"
#include "framework/ui_dispatcher.h"
#include "updater/program_release.h"
#include "updater/update_host.h"
#include "updater/update_options.h"

// The main program's quit message, posted to its window when the installer is ready.
inline constexpr uint32_t kKezoQuitMessage = 0x6A3;

// The online-upgrade dialog, "Veltra 在线升级". On opening it fetches the update descriptor
// and compares the offered version with the caller's. A newer release is shown (also when
// hidden was asked for) with the main button "安  装"; otherwise a hidden check ends the
// program without showing anything, and a shown one tells the current version or the
// error and turns the button into "确定", which ends the program.
//
// Installing downloads the release's installer into update.exe on a worker thread, which
// reports its progress to the dialog through the user-interface thread. While it runs the
// dialog cannot be closed. Success asks the main program to quit, starts the installer
// with "/SILENT", opens the update page and ends the program; failure shows "下载发生错误!"
// and leaves the button disabled.
//
// Everything but the download runs on the user-interface thread. The destructor waits for
// the worker.
class CUpdateDlg : public CDialog {
 public:
  static constexpr std::u16string_view kTitle = u"Veltra 在线升级";
  static constexpr std::string_view kProgramDescriptorFile = "su.kezo";
  static constexpr std::string_view kInstallerFile = "update.exe";

  enum class Check { kNewer, kCurrent, kError };

  CUpdateDlg(UpdateHost host, UpdateOptions options);
  ~CUpdateDlg() override;

  Check Result() const { return check_; }
  const ProgramRelease& Release() const { return release_; }
  bool Installing() const { return installing_; }

 protected:
  bool OnInit() override;
  void OnOk() override;
  void OnCancel() override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
  void OnDestroy() override;

 private:
  Check CheckForUpdate();
  std::u16string Link() const;
  void StartInstall();
  void ShowProgress(uint64_t received, uint64_t total);
  void InstallerDownloaded(bool ok);

  const UpdateHost host_;
  const UpdateOptions options_;
  ProgramRelease release_;
  Check check_ = Check::kError;
  bool installing_ = false;
  SendGate gate_;
  std::thread worker_;
};

// Ends the program once the current message has been handled: the message loop stops with
// exit code 0.
void EndUpdaterProgram();
