#pragma once

#include <string>

#include "config/settings.h"
#include "settings_ui/settings_page.h"
#include "rules/text_list.h"

// The settings page "关键字词": the user's own banned words in Data\UserWord.kezo, which
// the keyword matcher reads with the shipped word lists. The list can be hidden (it starts
// hidden: at most 20 rows of "******"); words are added several at once from a multi-line
// field, deleted by selection or all at once, and the whole file imported or exported.
//
// The page works on its own list instance, reloaded from the file whenever the page is
// shown or hidden; the proxy's matcher sees the changes when the settings centre closes,
// which reads Changed(). While the forced mode runs nothing may be removed.
//
// A page of the settings centre, also usable alone. User-interface thread only.
class CUserWordDlg : public CSettingsPage {
 public:
  static constexpr size_t kHiddenRows = 20;
  static constexpr size_t kLongestTypedWord = 6;

  explicit CUserWordDlg(SetupRecord& setup = TheSetup());

  // Whether any add, delete, clear or import happened since the page was made; never
  // reset.
  bool Changed() const { return changed_; }
  bool KeywordsChanged() const override { return changed_; }
  // Loads the list from its file again and refreshes the view (the settings centre calls
  // it whenever it shows or hides the page).
  void Reload();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
  // Edits made meanwhile elsewhere (the locked menu's add dialog) show.
  void OnPageShown() override { Reload(); }
  void OnPageHidden() override { Reload(); }

 private:
  void Refresh();
  void AddTypedWords();
  void ShowContextMenu(int row);
  void DeleteSelected();
  void ClearAll();
  void Import();
  void Export();
  bool Hidden();

  SetupRecord& setup_;
  CMyList words_;
  bool changed_ = false;
};
