#include "settings_ui/site_entry.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "proxy/canonical_host.h"
#include "rules/text_list.h"

namespace {

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool StartsWithFolded(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

// The host part of what was typed: spaces removed, a leading scheme and "www." dropped,
// and the text cut at the first "/", "?" or "#".
std::u16string HostPart(std::u16string_view typed) {
  std::u16string text(typed);
  std::erase(text, u' ');
  std::u16string_view rest = text;
  for (std::u16string_view scheme : {u"http://", u"https://"}) {
    if (StartsWithFolded(rest, scheme)) {
      rest.remove_prefix(scheme.size());
      break;
    }
  }
  if (StartsWithFolded(rest, u"www.")) rest.remove_prefix(4);
  return std::u16string(rest.substr(0, rest.find_first_of(u"/?#")));
}

bool IsSiteName(std::string_view host) {
  if (host.find('.') == std::string_view::npos) return false;
  size_t label = 0;
  for (char c : host) {
    if (c == '.') {
      if (label == 0) return false;
      label = 0;
      continue;
    }
    bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!allowed) return false;
    ++label;
  }
  return label > 0;
}

}  // namespace

std::optional<std::u16string> EntryFromAddress(std::u16string_view typed, EntryKind kind) {
  std::u16string host = HostPart(typed);
  if (kind == EntryKind::kHostKeyword) {
    std::transform(host.begin(), host.end(), host.begin(), LowerAscii);
    if (host.empty()) return std::nullopt;
    return host;
  }
  std::string canonical = CanonicalHost(WideToUtf8(host));
  if (!IsSiteName(canonical)) return std::nullopt;
  return Utf8ToWide(canonical);
}

ImportedEntries ReadImportFile(std::string_view path, EntryKind kind) {
  ImportedEntries imported;
  imported.readable = FileSystem::Current().Exists(path);
  if (!imported.readable) return imported;
  CMyList lines{std::string(path), false, 30, 5};
  lines.Load(true);
  std::shared_ptr<const CMyList::Items> items = lines.Entries();
  imported.entries.reserve(items->size());
  for (const std::u16string& line : *items) {
    if (std::optional<std::u16string> entry = EntryFromAddress(line, kind)) {
      imported.entries.push_back(std::move(*entry));
    } else {
      ++imported.invalid_lines;
    }
  }
  std::sort(imported.entries.begin(), imported.entries.end());
  return imported;
}
