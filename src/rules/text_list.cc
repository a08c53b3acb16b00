#include "rules/text_list.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

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

std::optional<std::u16string> CMyList::Prepare(std::u16string_view text) {
  // A NUL would end the text when the list is written, losing every entry after it.
  text = text.substr(0, std::min(text.find(u'\0'), text.size()));
  text = TrimSpaces(text);
  if (text.empty() || text.size() < min_length_) return std::nullopt;
  return std::u16string(text.substr(0, max_length_));
}

bool CMyList::Add(std::u16string_view text, bool sort) { return AddMany({std::u16string(text)}, sort).front(); }

std::vector<std::u16string> CMyList::Admit(const Items& base, const std::vector<std::u16string>& texts,
                                           std::vector<bool>& added) {
  added.assign(texts.size(), false);
  std::vector<std::u16string> fresh;
  std::unordered_set<std::u16string> taken;
  bool sorted = std::is_sorted(base.begin(), base.end());
  for (size_t i = 0; i < texts.size(); ++i) {
    std::optional<std::u16string> entry = Prepare(texts[i]);
    if (!entry || taken.contains(*entry)) continue;
    bool present = sorted ? FindIn(base, *entry) >= 0 : std::find(base.begin(), base.end(), *entry) != base.end();
    if (present) continue;
    taken.insert(*entry);
    fresh.push_back(std::move(*entry));
    added[i] = true;
  }
  return fresh;
}

std::shared_ptr<CMyList::Items> CMyList::Combine(const Items& base, std::vector<std::u16string> fresh, bool sort) {
  auto next = std::make_shared<Items>();
  next->reserve(base.size() + fresh.size());
  if (sort && std::is_sorted(base.begin(), base.end())) {
    // One merge of the new entries into the sorted array, however many there are.
    std::sort(fresh.begin(), fresh.end());
    std::merge(base.begin(), base.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()),
               std::back_inserter(*next));
  } else {
    *next = base;
    std::move(fresh.begin(), fresh.end(), std::back_inserter(*next));
    if (sort) std::sort(next->begin(), next->end());
  }
  return next;
}

std::vector<bool> CMyList::AddMany(const std::vector<std::u16string>& texts, bool sort) {
  std::vector<bool> added;
  std::lock_guard lock(write_mu_);
  std::shared_ptr<const Items> current = items_.Get();
  std::vector<std::u16string> fresh = Admit(*current, texts, added);
  if (fresh.empty()) return added;
  std::shared_ptr<Items> next = Combine(*current, std::move(fresh), sort);
  items_.Publish(next);
  SaveItems(*next);
  return added;
}

bool CMyList::ReplaceAll(const std::vector<std::u16string>& texts, bool sort) {
  std::vector<bool> added;
  std::lock_guard lock(write_mu_);
  std::shared_ptr<Items> next = Combine({}, Admit({}, texts, added), sort);
  items_.Publish(next);
  return SaveItems(*next);
}

bool CMyList::Remove(std::u16string_view text) { return RemoveMany({std::u16string(text)}) == 1; }

size_t CMyList::RemoveMany(const std::vector<std::u16string>& texts) {
  std::unordered_map<std::u16string, size_t> wanted;
  for (const std::u16string& text : texts) {
    if (!text.empty()) ++wanted[text];
  }
  std::lock_guard lock(write_mu_);
  std::shared_ptr<const Items> current = items_.Get();
  auto next = std::make_shared<Items>();
  next->reserve(current->size());
  size_t removed = 0;
  for (const std::u16string& item : *current) {
    auto found = wanted.find(item);
    if (found != wanted.end() && found->second > 0) {  // the first copies go
      --found->second;
      ++removed;
    } else {
      next->push_back(item);
    }
  }
  if (removed == 0) return 0;
  items_.Publish(next);
  SaveItems(*next);
  return removed;
}

bool CMyList::Clear() {
  std::lock_guard lock(write_mu_);
  auto empty = std::make_shared<const Items>();
  items_.Publish(empty);
  return SaveItems(*empty);
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
