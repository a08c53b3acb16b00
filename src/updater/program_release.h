#pragma once

#include <string>
#include <string_view>

// The newest release as the update descriptor (an INI file, section "Setup") describes it.
// Texts are in the local code page, cut to the lengths the program keeps.
struct ProgramRelease {
  std::string version;      // "Version", at most 15 characters
  std::string date;         // "Date", at most 31, shown as text
  std::string url;          // "Url", at most 511: the installer's address
  std::string description;  // "Description", at most 1023, each "|" turned into CR LF

  static constexpr size_t kVersionLength = 15;
  static constexpr size_t kDateLength = 31;
  static constexpr size_t kUrlLength = 511;
  static constexpr size_t kDescriptionLength = 1023;
};

// Reads the keys of section "Setup" the way the platform's private-profile functions do:
// section and key names case-insensitive, the first matching key of the first matching
// section, blanks around the value trimmed and one pair of enclosing quotes removed.
// Missing keys (or a missing section) give empty texts.
ProgramRelease ReadProgramRelease(std::string_view ini_text);

// Whether the release `offered` is newer than `installed`. Each is split at "." into at
// most four parts, each read as a decimal number from its leading digits (none: 0; a
// missing part: 0); the first unequal part decides. Equal versions are not newer.
bool IsNewerVersion(std::string_view offered, std::string_view installed);
