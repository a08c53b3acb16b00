#include "framework/menu_model.h"

namespace {

template <typename Item>
Item* FindIn(std::vector<Item>& items, int id) {
  for (Item& item : items) {
    if (!item.popup && !item.separator && item.id == id) return &item;
    if (Item* found = FindIn(item.submenu, id)) return found;
  }
  return nullptr;
}

bool RemoveFrom(std::vector<MenuItem>& items, int id) {
  for (auto it = items.begin(); it != items.end(); ++it) {
    if (!it->popup && !it->separator && it->id == id) {
      items.erase(it);
      return true;
    }
    if (RemoveFrom(it->submenu, id)) return true;
  }
  return false;
}

void CollectIds(const std::vector<MenuItem>& items, std::vector<int>& ids) {
  for (const MenuItem& item : items) {
    if (item.popup) {
      CollectIds(item.submenu, ids);
    } else if (!item.separator) {
      ids.push_back(item.id);
    }
  }
}

}  // namespace

const MenuItem* MenuModel::Find(int id) const { return FindIn(const_cast<std::vector<MenuItem>&>(items_), id); }

MenuItem* MenuModel::Find(int id) { return FindIn(items_, id); }

bool MenuModel::SetText(int id, std::u16string_view text) {
  MenuItem* item = Find(id);
  if (item == nullptr) return false;
  item->text = text;
  return true;
}

bool MenuModel::SetChecked(int id, bool checked) {
  MenuItem* item = Find(id);
  if (item == nullptr) return false;
  item->checked = checked;
  return true;
}

bool MenuModel::SetEnabled(int id, bool enabled) {
  MenuItem* item = Find(id);
  if (item == nullptr) return false;
  item->enabled = enabled;
  return true;
}

bool MenuModel::Remove(int id) { return RemoveFrom(items_, id); }

std::vector<int> MenuModel::CommandIds() const {
  std::vector<int> ids;
  CollectIds(items_, ids);
  return ids;
}
