#pragma once

#include <string>
#include <vector>

#include "settings_ui/settings_page.h"
#include "settings_ui/site_entry.h"

class CKEZODlg;
class CMyList;
struct SetupRecord;
struct SharedLists;
struct SiteListChoice;

// The settings page "黑白网址名单": the four user lists that steer filtering (blocked sites,
// never-filtered sites, URL keywords, sites without pictures), one at a time in a list
// view, edited through its context menu: add through CAddUrlDlg, bulk import from a text
// file, open a never-filtered site in the browser, delete the selected rows, clear the list.
//
// Every change goes straight into the shared list, which saves its file at once; the proxy
// reads the same lists, so the next request is judged by the change. While the forced mode
// runs nothing may be removed, and nothing added to the never-filtered list.
//
// A page of the settings centre, also usable alone (a modeless window of its own). The lists
// and the settings must outlive the page. User-interface thread only.
class CBWDomainDlg : public CSettingsPage {
 public:
  CBWDomainDlg(SharedLists& lists, SetupRecord& setup);
  // The page of the settings centre: the main window's lists.
  explicit CBWDomainDlg(CKEZODlg& main);

  // Shows the list of the checked radio button again (also whenever the page is shown).
  void ShowCheckedList();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
  void OnPageShown() override { ShowCheckedList(); }

 private:
  const SiteListChoice& Checked() const;
  CMyList& CheckedList();
  void ShowList(const SiteListChoice& choice);
  void ShowContextMenu(int row);
  // What the forced mode leaves: adding, except to the never-filtered list; no removal.
  bool AddsAllowed() const;
  bool RemovalsAllowed() const;
  // Adds `entries` to the checked list in one write, refills the view and shows the
  // notice when the last entry was stored.
  void AddEntries(const std::vector<std::u16string>& entries);
  void AddThroughDialog();
  void Import();
  void OpenInBrowser();
  void DeleteSelected();
  void ClearAll();

  SharedLists& lists_;
  SetupRecord& setup_;
  int checked_radio_;  // survives between openings
};
