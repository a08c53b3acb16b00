#include "settings_ui/explorer1.h"

#include "platform/shell.h"

bool CExplorer1::Attach(DialogWindow& window, int id, Wiring wiring) {
  wiring_ = wiring;
  pane_ = window.AttachBrowser(id, *this);
  return pane_ != nullptr;
}

bool CExplorer1::Navigate(std::u16string_view url) { return pane_ != nullptr && pane_->Navigate(url); }

void CExplorer1::OnNavigateComplete(std::u16string_view url) {
  if (wiring_.install_handler_on_navigate && pane_ != nullptr) pane_->InstallUiHandler();
  if (hook_) hook_(url);
}

bool CExplorer1::OnNewWindow(std::u16string_view url) {
  if (!wiring_.redirect_new_windows) return false;
  Shell::Current().Open(url);
  return true;
}

void CExplorer1::OnDocumentComplete(std::u16string_view url) {
  if (pane_ == nullptr) return;
  for (const std::u16string& id : clicked_ids_) pane_->ReportClicksOn(id);
}

void CExplorer1::OnElementClicked(std::u16string_view element_id) {
  if (on_click_) on_click_(element_id);
}
