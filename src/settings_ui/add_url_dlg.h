#pragma once

#include <string>
#include <vector>

#include "settings_ui/limit_edit.h"
#include "settings_ui/my_dialog.h"
#include "settings_ui/site_entry.h"

// The add-site dialog "添加": one or more addresses, one a line, for a site list or the URL
// keyword list. Each line is reduced to the entry the list stores (EntryFromAddress); lines
// that are none are dropped.
//
// Set `prompt` and `kind` before DoModal; after kIdOk `entries` holds what was entered, in
// the order typed (possibly nothing).
class CAddUrlDlg : public CMyDialog {
 public:
  CAddUrlDlg();

  std::u16string prompt;
  EntryKind kind = EntryKind::kSite;
  std::vector<std::u16string> entries;

 protected:
  bool OnInit() override;
  void OnOk() override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;

 private:
  CLimitEdit entry_field_;
};
