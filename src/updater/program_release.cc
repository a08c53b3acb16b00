#include "updater/program_release.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::optional<std::string_view> FindValue(std::string_view text, std::string_view section, std::string_view key) {
  bool in_section = false, section_seen = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.starts_with("[")) {
      size_t close = line.find(']');
      bool matches = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
      // Only the first section of that name counts.
      in_section = matches && !section_seen;
      section_seen = section_seen || matches;
      continue;
    }
    if (!in_section) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key)) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
}

std::string Kept(std::string_view text, std::string_view section, std::string_view key, size_t length) {
  std::string_view value = FindValue(text, section, key).value_or("");
  return std::string(value.substr(0, length));
}

std::array<uint64_t, 4> VersionParts(std::string_view version) {
  std::array<uint64_t, 4> parts{};
  for (size_t index = 0; index < parts.size(); ++index) {
    size_t dot = version.find('.');
    std::string_view part = version.substr(0, dot);
    uint64_t number = 0;
    for (char c : part) {
      if (c < '0' || c > '9') break;
      uint64_t digit = static_cast<uint64_t>(c - '0');
      number = number > (std::numeric_limits<uint64_t>::max() - digit) / 10 ? std::numeric_limits<uint64_t>::max()
                                                                           : number * 10 + digit;
    }
    parts[index] = number;
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  return parts;
}

}  // namespace

ProgramRelease ReadProgramRelease(std::string_view ini_text) {
  ProgramRelease release;
  release.version = Kept(ini_text, "Setup", "Version", ProgramRelease::kVersionLength);
  release.date = Kept(ini_text, "Setup", "Date", ProgramRelease::kDateLength);
  release.url = Kept(ini_text, "Setup", "Url", ProgramRelease::kUrlLength);
  std::string description = Kept(ini_text, "Setup", "Description", ProgramRelease::kDescriptionLength);
  for (char c : description) {
    if (c == '|') {
      release.description += "\r\n";
    } else {
      release.description += c;
    }
  }
  return release;
}

bool IsNewerVersion(std::string_view offered, std::string_view installed) {
  std::array<uint64_t, 4> a = VersionParts(offered), b = VersionParts(installed);
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return a[i] > b[i];
  }
  return false;
}
