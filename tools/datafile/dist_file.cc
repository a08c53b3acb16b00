#include "dist_file.h"

#include <cstdio>
#include <map>

#include "base/text_lines.h"
#include "platform/code_page.h"
#include "rules/data_file.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct SourceLine {
  int number;
  std::string_view text;  // without its line end
};

std::vector<SourceLine> SplitLines(std::string_view source) {
  std::vector<SourceLine> lines;
  int number = 1;
  for (std::string_view line : TextLines(source)) lines.push_back({number++, line});
  return lines;
}

std::string LineError(int number, std::string_view what) {
  return "line " + std::to_string(number) + ": " + std::string(what);
}

// Empty when every line is valid UTF-8 without a zero byte, else the first fault.
std::string CheckUtf8(const std::vector<SourceLine>& lines) {
  for (const SourceLine& line : lines) {
    if (line.text.find('\0') != std::string_view::npos) return LineError(line.number, "holds a zero byte");
    if (WideToUtf8(Utf8ToWide(line.text)) != line.text) return LineError(line.number, "is not valid UTF-8");
  }
  return {};
}

std::string CheckLocal(const std::vector<SourceLine>& lines) {
  for (const SourceLine& line : lines) {
    std::u16string wide = Utf8ToWide(line.text);
    if (LocalToWide(WideToLocal(wide)) != wide) {
      return LineError(line.number, "holds a character that the local code page (GBK) cannot hold");
    }
  }
  return {};
}

bool IsComment(std::string_view line) { return line.empty() || line.front() == '#'; }

bool HasOuterBlank(std::string_view entry) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return blank(entry.front()) || blank(entry.back());
}

// The entries of a list, or the first fault.
DistBuild CollectEntries(const std::vector<SourceLine>& lines, std::vector<std::string_view>& entries) {
  std::map<std::string_view, int> seen;
  for (const SourceLine& line : lines) {
    if (IsComment(line.text)) continue;
    if (HasOuterBlank(line.text)) return {false, {}, LineError(line.number, "has a space or tab at an end")};
    auto [where, fresh] = seen.emplace(line.text, line.number);
    if (!fresh) {
      return {false, {}, LineError(line.number, "repeats line " + std::to_string(where->second))};
    }
    entries.push_back(line.text);
  }
  return {true, {}, {}};
}

std::string JoinCrLf(const std::vector<SourceLine>& lines, bool ends_with_line_end) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    out.append(lines[i].text);
    if (i + 1 < lines.size() || ends_with_line_end) out.append("\r\n");
  }
  return out;
}

std::string Hex(unsigned value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", width, value);
  return buffer;
}

bool StartsTag(std::u16string_view text, size_t at, std::u16string_view name) {
  if (text.size() - at < name.size() + 1) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char16_t c = text[at + i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != name[i]) return false;
  }
  char16_t next = text.size() > at + name.size() ? text[at + name.size()] : u'>';
  return !((next >= u'a' && next <= u'z') || (next >= u'A' && next <= u'Z'));
}

enum class Context { kMarkup, kScript, kStyle };

// Replaces every character outside ASCII by the escape that the surrounding context reads
// back as that character. `context` is where the text starts: markup, or the inside of a
// script or style sheet (a whole .js or .css file); tags switch it in markup.
std::string AsciiText(std::u16string_view text, Context context) {
  const bool starts_in_markup = context == Context::kMarkup;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit == u'<' && starts_in_markup) {
      if (StartsTag(text, i, u"<script")) context = Context::kScript;
      if (StartsTag(text, i, u"<style")) context = Context::kStyle;
      if (StartsTag(text, i, u"</script") || StartsTag(text, i, u"</style")) context = Context::kMarkup;
    }
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    if (context == Context::kScript) {
      out.append("\\u").append(Hex(unit, 4));  // surrogates stay two escapes, as JavaScript reads them
      continue;
    }
    unsigned code = unit;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size()) {
      code = 0x10000 + ((unit - 0xD800u) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    }
    if (context == Context::kStyle) {
      out.append("\\").append(Hex(code, 1)).append(" ");
    } else {
      out.append("&#x").append(Hex(code, 1)).append(";");
    }
  }
  return out;
}

std::string HttpHead(size_t body_length) {
  return "HTTP/1.1 200 OK\r\n"
         "Content-Type: text/html; charset=utf-8\r\n"
         "Content-Length: " +
         std::to_string(body_length) +
         "\r\n"
         "Cache-Control: no-store\r\n"
         "Connection: close\r\n"
         "\r\n";
}

std::string Utf16Le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
  return out;
}

}  // namespace

std::optional<DistForm> ParseDistForm(std::string_view name) {
  static const std::map<std::string_view, DistForm> kForms = {
      {"scrambled-list", DistForm::kScrambledList}, {"list", DistForm::kList},
      {"local-lines", DistForm::kLocalLines},       {"local-text", DistForm::kLocalText},
      {"ascii-html", DistForm::kAsciiHtml},         {"http-page", DistForm::kHttpPage},
      {"ascii-script", DistForm::kAsciiScript},     {"ascii-style", DistForm::kAsciiStyle},
      {"utf16-text", DistForm::kUtf16Text},
  };
  auto found = kForms.find(name);
  if (found == kForms.end()) return std::nullopt;
  return found->second;
}

DistBuild BuildDistFile(DistForm form, std::string_view source) {
  if (source.starts_with(kUtf8Mark)) source.remove_prefix(kUtf8Mark.size());
  std::vector<SourceLine> lines = SplitLines(source);
  if (std::string error = CheckUtf8(lines); !error.empty()) return {false, {}, error};
  bool local = form == DistForm::kLocalLines || form == DistForm::kLocalText;
  if (local) {
    if (std::string error = CheckLocal(lines); !error.empty()) return {false, {}, error};
  }

  bool is_list = form == DistForm::kScrambledList || form == DistForm::kList || form == DistForm::kLocalLines;
  if (is_list) {
    std::vector<std::string_view> entries;
    DistBuild collected = CollectEntries(lines, entries);
    if (!collected.ok) return collected;
    std::string body;
    for (std::string_view entry : entries) body.append(entry).append("\r\n");
    if (form == DistForm::kLocalLines) return {true, WideToLocal(Utf8ToWide(body)), {}};
    // Written exactly as CMyFile writes a marked file: the mark, then the body scrambled
    // from key index 0.
    if (form == DistForm::kScrambledList) CMyFile::Scramble(body);
    return {true, std::string(kUtf8Mark) + body, {}};
  }

  std::string text = JoinCrLf(lines, source.ends_with('\n'));
  switch (form) {
    case DistForm::kLocalText:
      return {true, WideToLocal(Utf8ToWide(text)), {}};
    case DistForm::kAsciiHtml:
      return {true, AsciiText(Utf8ToWide(text), Context::kMarkup), {}};
    case DistForm::kAsciiScript:
      return {true, AsciiText(Utf8ToWide(text), Context::kScript), {}};
    case DistForm::kAsciiStyle:
      return {true, AsciiText(Utf8ToWide(text), Context::kStyle), {}};
    case DistForm::kHttpPage: {
      std::string body = AsciiText(Utf8ToWide(text), Context::kMarkup);
      return {true, HttpHead(body.size()) + body, {}};
    }
    case DistForm::kUtf16Text:
      return {true, Utf16Le(Utf8ToWide(text)), {}};
    default:
      return {false, {}, "unknown form"};
  }
}

std::vector<std::u16string> DistListEntries(std::string_view source) {
  if (source.starts_with(kUtf8Mark)) source.remove_prefix(kUtf8Mark.size());
  std::vector<std::u16string> entries;
  for (const SourceLine& line : SplitLines(source)) {
    if (!IsComment(line.text)) entries.push_back(Utf8ToWide(line.text));
  }
  return entries;
}

DistManifest ParseDistManifest(std::string_view text) {
  DistManifest manifest;
  std::map<std::string, int> targets;
  for (const SourceLine& line : SplitLines(text)) {
    if (IsComment(line.text)) continue;
    std::vector<std::string> fields;
    std::string_view rest = line.text;
    while (!rest.empty()) {
      size_t start = rest.find_first_not_of(" \t");
      if (start == std::string_view::npos) break;
      rest.remove_prefix(start);
      size_t end = rest.find_first_of(" \t");
      fields.emplace_back(rest.substr(0, end));
      rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    if (fields.size() != 3) {
      manifest.errors.push_back(LineError(line.number, "needs three fields: source target form"));
      continue;
    }
    std::optional<DistForm> form = ParseDistForm(fields[2]);
    if (!form) {
      manifest.errors.push_back(LineError(line.number, "unknown form \"" + fields[2] + "\""));
      continue;
    }
    auto [where, fresh] = targets.emplace(fields[1], line.number);
    if (!fresh) {
      manifest.errors.push_back(LineError(line.number, "names the target of line " + std::to_string(where->second)));
      continue;
    }
    manifest.entries.push_back({fields[0], fields[1], *form});
  }
  return manifest;
}
