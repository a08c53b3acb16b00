#pragma once

#include <string_view>
#include <vector>

// The lines of `text`, as views into it: split at each LF, with a CR before the LF left
// off. A last line without an LF counts; an LF at the very end starts no further line.
inline std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  return lines;
}
