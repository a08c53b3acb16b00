#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/tab_page.h"

// Binds a tab control of an open dialog to its pages: one tab caption per page, the pages
// created as child windows of the tab control and placed in its page area, and exactly the
// page of the chosen tab shown.
//
// The host dialog forwards the tab control's kTabChanged event to OnTabChanged. The host
// and the pages must outlive this object. User-interface thread only.
class CTabPages {
 public:
  // The page area inside the tab control's client area: below the captions, clear of the
  // control's frame.
  static constexpr int kCaptionBand = 22;
  static constexpr Rect PageArea(Size tab_client) {
    return Rect{1, kCaptionBand, tab_client.width - 3, tab_client.height - 2};
  }

  // `tab_id`: the tab control of `host`.
  CTabPages(CDialog& host, int tab_id) : host_(host), tab_id_(tab_id) {}

  // Adds the tab `caption`, creates `page` inside the tab control, places it in the page
  // area and hides it. Returns false (no tab added) when the page cannot be created.
  bool Add(std::u16string_view caption, CTabPage& page);
  // Chooses tab `index` and shows its page, hiding the one shown before.
  void Select(int index);
  // The tab control's selection changed: shows the chosen page.
  void OnTabChanged();
  // The host window was shown again after it had been hidden.
  void OnHostShownAgain() {
    if (shown_ >= 0) Page(shown_).HostShownAgain();
  }

  int Selection() const { return shown_; }
  int Count() const { return static_cast<int>(pages_.size()); }
  CTabPage& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }

 private:
  void ShowOnly(int index);

  CDialog& host_;
  const int tab_id_;
  std::vector<CTabPage*> pages_;
  int shown_ = -1;
};
