#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/menu_model.h"
#include "framework/ui_types.h"

// The kinds of control a dialog template holds, as far as the headless backend tells them
// apart.
enum class ControlKind {
  kStatic, kPicture, kButton, kCheckBox, kThreeState, kRadio, kGroupBox, kEdit, kCombo, kListBox,
  kListView, kTab, kTrackBar, kHotKey, kSpin, kLink, kCustom,
};

struct ControlTemplate {
  int id = -1;
  ControlKind kind = ControlKind::kStatic;
  std::string class_name;  // as written for CONTROL statements; the kind's class otherwise
  std::u16string text;
  uint32_t style = 0;
  bool visible = true;
  bool disabled = false;
  bool group = false;       // WS_GROUP: starts a group of radio buttons
  bool auto_check = false;  // the box checks itself when clicked
  bool owner_drawn = false;
  Rect units;               // position and size in dialog units
};

struct DialogTemplate {
  int id = 0;
  std::u16string caption;
  uint32_t style = 0;
  Rect units;
  std::vector<ControlTemplate> controls;

  const ControlTemplate* Find(int control_id) const;
};

// The dialog templates, menus and string table of a resource script, the subset of the
// resource-compiler language that the program's .rc files use: #define lines, DIALOG and
// DIALOGEX with their statements and controls, MENU and MENUEX, STRINGTABLE, and other
// resources, which are skipped. Texts are UTF-8 (code page 65001). Symbols come from the
// #define lines seen before their use; the window-system style names the templates use are
// known. A statement that cannot be read is recorded in Errors() and skipped.
class ResourceScript {
 public:
  static ResourceScript Parse(std::string_view text);

  const DialogTemplate* FindDialog(int id) const;
  // The first pop-up of menu `id`, as LoadPopupMenu gives it; nullopt when absent.
  std::optional<MenuModel> FindPopupMenu(int id) const;
  // String-table entry `id`; nullopt when absent.
  std::optional<std::u16string> FindString(int id) const;
  // A #define'd number; nullopt when undefined.
  std::optional<int64_t> Symbol(std::string_view name) const;

  const std::vector<std::string>& Errors() const { return errors_; }

 private:
  friend class ResourceScriptParser;
  std::map<std::string, int64_t, std::less<>> symbols_;
  std::map<int, DialogTemplate> dialogs_;
  std::map<int, MenuModel> menus_;
  std::map<int, std::u16string> strings_;
  std::vector<std::string> errors_;
};
