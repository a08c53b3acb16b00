#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The bytes of a file as tests compare them; "<missing>" when it cannot be opened.
inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Writes `bytes` as the whole file.
inline void WriteFileText(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}
