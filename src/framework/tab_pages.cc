#include "framework/tab_pages.h"

bool CTabPages::Add(std::u16string_view caption, CTabPage& page) {
  if (!host_.IsOpen() || !page.CreateInside(host_, tab_id_)) return false;
  Rect tab = host_.Window()->ControlRect(tab_id_);
  page.Window()->PlaceInParent(PageArea(Size{tab.Width(), tab.Height()}));
  page.HidePage();
  page.Window()->Show(WindowShow::kHidden);  // whatever its template said
  host_.Window()->TabAdd(tab_id_, caption);
  pages_.push_back(&page);
  return true;
}

void CTabPages::Select(int index) {
  if (index < 0 || index >= Count()) return;
  host_.Window()->TabSelect(tab_id_, index);
  ShowOnly(index);
}

void CTabPages::OnTabChanged() {
  if (host_.IsOpen()) ShowOnly(host_.Window()->TabSelection(tab_id_));
}

void CTabPages::ShowOnly(int index) {
  if (index < 0 || index >= Count()) return;
  // The page going away saves before the next one loads what it may have changed.
  for (int i = 0; i < Count(); ++i) {
    if (i != index) Page(i).HidePage();
  }
  Page(index).ShowPage();
  shown_ = index;
}
