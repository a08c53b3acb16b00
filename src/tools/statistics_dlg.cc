#include "tools/statistics_dlg.h"

#include "core/web_addresses.h"
#include "resource.h"
#include "tools_resource.h"

CStatisticsDlg::CStatisticsDlg() : CDialog(IDD_STATISTICS) {}

bool CStatisticsDlg::OnInit() {
  window().SetTimer(kCloseTimer, 6000);
  // The page only counts the start: it gets none of the document callbacks.
  if (pane_.Attach(window(), IDC_EXPLORER, CExplorer1::Wiring{.install_handler_on_navigate = false,
                                                              .redirect_new_windows = false})) {
    pane_.Navigate(web_addresses::kStatisticsPage);
  }
  return true;
}

void CStatisticsDlg::OnTimer(int id) {
  if (id != kCloseTimer) return;
  window().KillTimer(kCloseTimer);
  End(kIdCancel);
}
