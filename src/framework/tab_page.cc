#include "framework/tab_page.h"

void CTabPage::ShowPage() {
  if (!IsOpen() || shown_) return;
  shown_ = true;
  window().Show(WindowShow::kNormal);
  OnPageShown();
}

void CTabPage::HidePage() {
  if (!IsPageShown()) return;
  shown_ = false;
  window().Show(WindowShow::kHidden);
  OnPageHidden();
}
