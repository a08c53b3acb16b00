#pragma once

#include <string>
#include <string_view>
#include <vector>

// A pop-up menu as data: loaded from a numbered menu resource or built at run time, changed
// by the dialog (texts, check marks, removed items) and then shown by the backend, which
// returns the chosen command.
struct MenuItem {
  int id = 0;  // command; 0 for separators and submenus
  std::u16string text;
  bool separator = false;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuItem> submenu;  // a submenu when `popup` is set
  bool popup = false;

  static MenuItem Command(int id, std::u16string_view text) {
    MenuItem item;
    item.id = id;
    item.text = text;
    return item;
  }
  static MenuItem Separator() {
    MenuItem item;
    item.separator = true;
    return item;
  }
};

class MenuModel {
 public:
  MenuModel() = default;
  explicit MenuModel(std::u16string title) : title_(std::move(title)) {}

  // The title of the pop-up in its resource ("托盘菜单"); not shown.
  const std::u16string& Title() const { return title_; }
  const std::vector<MenuItem>& Items() const { return items_; }
  std::vector<MenuItem>& Items() { return items_; }

  void AppendCommand(int id, std::u16string_view text) { items_.push_back(MenuItem::Command(id, text)); }
  void AppendSeparator() { items_.push_back(MenuItem::Separator()); }

  // The item with command `id`, searched through the submenus; nullptr when absent.
  const MenuItem* Find(int id) const;
  MenuItem* Find(int id);
  // Each returns false when no item has the command.
  bool SetText(int id, std::u16string_view text);
  bool SetChecked(int id, bool checked);
  // A disabled item is shown greyed and cannot be chosen.
  bool SetEnabled(int id, bool enabled);
  bool Remove(int id);

  // Every command in display order, submenus included (for tests and diagnostics).
  std::vector<int> CommandIds() const;

 private:
  std::u16string title_;
  std::vector<MenuItem> items_;
};
