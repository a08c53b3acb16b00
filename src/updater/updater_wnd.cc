#include "updater/updater_wnd.h"

#include "updater_resource.h"

CUpdaterWnd::CUpdaterWnd(UpdateHost host, UpdateOptions options)
    : CDialog(IDD_UPDATER_MAIN), host_(std::move(host)), options_(std::move(options)) {}

CUpdaterWnd::~CUpdaterWnd() = default;

bool CUpdaterWnd::OnInit() {
  window().SetTitle(u"Updater");
  if (!options_.program_update) {
    last_data_update_ = RunDataUpdate(host_);
    EndUpdaterProgram();
    return true;
  }
  update_dialog_ = std::make_unique<CUpdateDlg>(host_, options_);
  if (!update_dialog_->Create(nullptr)) EndUpdaterProgram();
  return true;
}

bool CUpdaterWnd::OnCommand(int id) {
  switch (id) {
    case ID_UPDATE_DATA: last_data_update_ = RunDataUpdate(host_); return true;
    case ID_UPDATER_EXIT: DestroyWindow(); return true;
    case ID_UPDATER_ABOUT: return true;
    default: return false;
  }
}
