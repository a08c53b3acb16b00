#include "rules/text_list.h"

#include <algorithm>

#include "platform/code_page.h"

namespace {

std::u16string_view TrimSpaces(std::u16string_view text) {
  size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  size_t last = text.find_last_not_of(u' ');
  return text.substr(first, last - first + 1);
}

CMyList::Items SplitLines(std::u16string_view text) {
  CMyList::Items lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

CMyList::CMyList(std::string path, bool scrambled, uint16_t max_length, uint16_t min_length)
    : CMyFile(std::move(path), scrambled),
      max_length_(max_length),
      min_length_(min_length),
      random_(std::random_device{}()) {}

void CMyList::Load(bool sort) {
  std::lock_guard lock(write_mu_);
  Read();
  auto items = std::make_shared<Items>(SplitLines(TakeText()));
  if (sort) std::sort(items->begin(), items->end());
  items_.Publish(std::move(items));
}

bool CMyList::Save() {
  std::lock_guard lock(write_mu_);
  return SaveItems(*items_.Get());
}

bool CMyList::SaveItems(const Items& items) {
  std::u16string text;
  for (const std::u16string& item : items) {
    text += item;
    text += u"\r\n";
  }
  return Write(Encode(text));
}

int CMyList::FindIn(const Items& items, std::u16string_view text) {
  auto found = std::lower_bound(items.begin(), items.end(), text,
                                [](const std::u16string& item, std::u16string_view key) { return item < key; });
  return found != items.end() && *found == text ? static_cast<int>(found - items.begin()) : -1;
}

int CMyList::Find(std::u16string_view text) const {
  if (text.empty()) return -1;
  return items_.Read([&](const Items& items) { return FindIn(items, text); });
}

bool CMyList::Contains(std::string_view local) const { return Find(LocalToWide(local)) >= 0; }

bool CMyList::Add(std::string_view local, bool sort) { return Add(LocalToWide(local), sort); }

bool CMyList::Add(std::u16string_view text, bool sort) {
  // A NUL would end the text when the list is written, losing every entry after it.
  text = text.substr(0, std::min(text.find(u'\0'), text.size()));
  if (text.empty()) return false;
  text = TrimSpaces(text);
  if (text.size() < min_length_) return false;
  text = text.substr(0, max_length_);

  std::lock_guard lock(write_mu_);
  std::shared_ptr<const Items> current = items_.Get();
  if (FindIn(*current, text) >= 0) return false;
  auto next = std::make_shared<Items>(*current);
  if (sort && std::is_sorted(next->begin(), next->end())) {
    next->insert(std::upper_bound(next->begin(), next->end(), text,
                                  [](std::u16string_view key, const std::u16string& item) { return key < item; }),
                 std::u16string(text));
  } else {
    next->emplace_back(text);
    if (sort) std::sort(next->begin(), next->end());
  }
  items_.Publish(next);
  SaveItems(*next);
  return true;
}

bool CMyList::Remove(std::u16string_view text) {
  std::lock_guard lock(write_mu_);
  std::shared_ptr<const Items> current = items_.Get();
  if (text.empty() || FindIn(*current, text) < 0) return false;
  auto next = std::make_shared<Items>(*current);
  next->erase(std::find(next->begin(), next->end(), text));
  items_.Publish(next);
  SaveItems(*next);
  return true;
}

bool CMyList::Clear() {
  std::lock_guard lock(write_mu_);
  auto next = std::make_shared<Items>();
  items_.Publish(next);
  return SaveItems(*next);
}

void CMyList::Sort() {
  std::lock_guard lock(write_mu_);
  auto next = std::make_shared<Items>(*items_.Get());
  std::sort(next->begin(), next->end());
  items_.Publish(std::move(next));
}

std::u16string CMyList::PickRandom() {
  std::shared_ptr<const Items> items = items_.Get();
  if (items->empty()) return {};
  std::lock_guard lock(draw_mu_);
  // A new array (after a load or any change) starts a fresh round of draws.
  if (draw_pool_.empty() || draw_source_ != items) {
    draw_source_ = items;
    draw_pool_.resize(items->size());
    for (size_t i = 0; i < draw_pool_.size(); ++i) draw_pool_[i] = i;
  }
  size_t position = random_() % draw_pool_.size();
  size_t index = draw_pool_[position];
  draw_pool_.erase(draw_pool_.begin() + static_cast<std::ptrdiff_t>(position));
  return (*items)[index];
}
