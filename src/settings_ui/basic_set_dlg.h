#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "settings_ui/settings_page.h"

class CKEZODlg;

// The settings centre's basic page ("基本设置"): autostart, the calendar and page-tip
// switches, the page-tip style editor, the show/hide hot key, the tray icon, what the main
// window's close button does, and backup and restore of the data folder.
//
// Every value lives in the settings: the page loads them when it opens and each time it is
// shown, and saves them when it is hidden and when the settings centre closes. Autostart,
// the calendar switch, the tray icon and the hot key take effect on their own control.
// Backup and restore run the archiver on a thread of their own, so the window and the
// proxy go on meanwhile; their buttons are disabled until it ends.
//
// User-interface thread only. `main` must outlive the page.
class CBasicSetDlg : public CSettingsPage {
 public:
  // The names the file dialogs offer.
  static constexpr std::u16string_view kArchiveName = u"配置.bak";
  static constexpr std::u16string_view kArchiveFilter = u"Veltra配置(*.bak)|*.bak||";
  static constexpr std::u16string_view kArchiveFolder = u"d:\\";

  explicit CBasicSetDlg(CKEZODlg& main);
  ~CBasicSetDlg() override;

  void Save() override;
  // Whether a backup or a restore is running.
  bool ArchiverRunning() const { return archiver_running_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnPageShown() override { Load(); }
  void OnPageHidden() override { Save(); }

 private:
  void Load();
  void OnAutostartClicked();
  void ApplyHotKey();
  void StartBackup();
  void StartRestore();
  // Runs `work` on a thread of its own and `done` with its result on this thread (unless
  // the page has gone meanwhile).
  void RunArchiver(std::function<bool()> work, std::function<void(bool)> done);
  void ArchiverEnded();

  CKEZODlg& main_;
  bool archiver_running_ = false;
  // Watched by the archiver's thread: gone with the page, so a late result is dropped.
  std::shared_ptr<bool> alive_;
  std::thread archiver_;
};
