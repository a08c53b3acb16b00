#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the fuzz targets.

// Stops the run with a message: libFuzzer reports it as a crash and keeps the input.
#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Splits an input into at most `count` fields at the separator line "\n--\n", so that seed
// files can be written by hand: the last field takes the rest of the input, separators
// included; missing fields are empty.
inline std::vector<std::string_view> SplitFields(std::string_view input, size_t count) {
  constexpr std::string_view kSeparator = "\n--\n";
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    size_t at = input.find(kSeparator);
    if (at == std::string_view::npos) break;
    fields.push_back(input.substr(0, at));
    input.remove_prefix(at + kSeparator.size());
  }
  fields.push_back(input);
  fields.resize(count);
  return fields;
}

// The lines of `text`, split at LF with a CR before it dropped.
inline std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}
