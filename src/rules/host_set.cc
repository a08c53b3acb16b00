#include "rules/host_set.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/code_page.h"
#include "rules/data_file.h"

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

CHostSet::CHostSet(std::string text) : names_(std::move(text)) {
  // Lines end at LF, CR LF or a lone CR.
  size_t lines = 1;
  for (size_t i = 0; i < names_.size(); ++i) {
    lines += names_[i] == '\n' || (names_[i] == '\r' && (i + 1 == names_.size() || names_[i + 1] != '\n'));
  }
  // At most half full, so that a lookup of an absent name meets an empty slot within a
  // probe or two.
  slots_.assign(std::bit_ceil(std::max<size_t>(lines * 2, 16)), 0);
  names_.push_back('\0');
  size_t start = 0;
  while (start < names_.size()) {
    size_t end = start;
    while (end < names_.size() && names_[end] != '\0' && !IsLineEnd(names_[end])) ++end;
    size_t length = end - start;
    while (length > 0 && names_[start + length - 1] == '.') --length;
    for (size_t i = start; i < start + length; ++i) {
      char c = names_[i];
      if (c >= 'A' && c <= 'Z') names_[i] = static_cast<char>(c - 'A' + 'a');
    }
    std::fill(names_.begin() + static_cast<std::ptrdiff_t>(start + length),
              names_.begin() + static_cast<std::ptrdiff_t>(std::min(end + 1, names_.size())), '\0');
    if (length > 0) Insert(static_cast<uint32_t>(start), length);
    start = end + 1;
  }
}

CHostSet::Ptr CHostSet::Load(const ListFile& file) {
  std::optional<std::string> body = CMyFile::ReadUtf8Body(file.path, file.scrambled);
  return std::make_shared<const CHostSet>(body ? std::move(*body) : std::string());
}

uint64_t CHostSet::Hash(std::string_view name) {
  // FNV-1a, then a final mix so that the low bits (the slot index) depend on every byte.
  uint64_t hash = 14695981039346656037ull;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  hash ^= hash >> 29;
  hash *= 0xbf58476d1ce4e5b9ull;
  return hash ^ (hash >> 32);
}

std::string_view CHostSet::NameAt(uint32_t slot_value) const {
  return std::string_view(names_.data() + slot_value - 1);
}

void CHostSet::Insert(uint32_t offset, size_t length) {
  std::string_view name(names_.data() + offset, length);
  size_t mask = slots_.size() - 1;
  for (size_t i = Hash(name) & mask;; i = (i + 1) & mask) {
    if (slots_[i] == 0) {
      slots_[i] = offset + 1;
      ++count_;
      return;
    }
    if (NameAt(slots_[i]) == name) return;
  }
}

bool CHostSet::Contains(std::string_view host) const {
  if (slots_.empty() || host.empty() || host.find('\0') != std::string_view::npos) return false;
  size_t mask = slots_.size() - 1;
  for (size_t i = Hash(host) & mask; slots_[i] != 0; i = (i + 1) & mask) {
    const char* name = names_.data() + slots_[i] - 1;
    // strncmp stops at the entry's zero byte, so a shorter entry is never read past.
    if (std::strncmp(name, host.data(), host.size()) == 0 && name[host.size()] == '\0') return true;
  }
  return false;
}

std::vector<std::u16string> CHostSet::DotlessEntries() const {
  std::vector<std::pair<uint32_t, std::string_view>> dotless;
  for (uint32_t slot : slots_) {
    if (slot != 0 && NameAt(slot).find('.') == std::string_view::npos) dotless.emplace_back(slot, NameAt(slot));
  }
  std::sort(dotless.begin(), dotless.end());
  std::vector<std::u16string> keywords;
  for (const auto& [slot, name] : dotless) keywords.push_back(Utf8ToWide(name));
  return keywords;
}

std::string LabelShape(std::string_view label) {
  std::string shape;
  for (char c : label) {
    if (c < '0' || c > '9') {
      shape += c;
    } else if (shape.empty() || shape.back() != '#') {
      shape += '#';
    }
  }
  return shape;
}
