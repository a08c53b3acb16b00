#include "settings_ui/word_file.h"

#include <algorithm>

#include "platform/file_system.h"
#include "rules/list_files.h"
#include "rules/text_list.h"

namespace {

constexpr size_t kLargestWordFile = 4 << 20;

bool IsWord(std::u16string_view line) {
  if (line.empty() || line.size() > list_files::kUserWordEditing.max_length) return false;
  if (line.find_first_not_of(u' ') == std::u16string_view::npos) return false;
  return std::none_of(line.begin(), line.end(), [](char16_t c) { return c < u' ' || c == u'\x7F' || c == u'\xFFFD'; });
}

}  // namespace

std::optional<std::vector<std::u16string>> ReadWordFile(std::string_view path) {
  std::optional<std::string> bytes = FileSystem::Current().ReadAll(path);
  if (!bytes || bytes->size() > kLargestWordFile) return std::nullopt;
  CMyList words(std::string(path), true, list_files::kUserWordEditing.max_length, 1);
  words.Load(true);
  std::shared_ptr<const CMyList::Items> lines = words.Entries();
  if (lines->empty() || !std::all_of(lines->begin(), lines->end(), IsWord)) return std::nullopt;
  return *lines;
}

bool WriteWordFile(std::string_view path, const std::vector<std::u16string>& words) {
  CMyList copy(std::string(path), true, list_files::kUserWordEditing.max_length, 1);
  return copy.ReplaceAll(words, true);
}
