#include "framework/image_header.h"

#include <cstdint>
#include <cstdlib>

namespace {

uint32_t BigEndian(std::string_view bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

uint32_t LittleEndian(std::string_view bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

std::optional<Size> Checked(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return std::nullopt;
  return Size{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<Size> JpegSize(std::string_view bytes) {
  size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (static_cast<uint8_t>(bytes[at]) != 0xFF) return std::nullopt;
    uint8_t marker = static_cast<uint8_t>(bytes[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      at += 2;
      continue;
    }
    uint32_t length = BigEndian(bytes, at + 2, 2);
    bool start_of_frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (start_of_frame) {
      if (at + 9 > bytes.size()) return std::nullopt;
      return Checked(BigEndian(bytes, at + 7, 2), BigEndian(bytes, at + 5, 2));
    }
    if (length < 2) return std::nullopt;
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Size> ReadImageHeaderSize(std::string_view bytes) {
  if (bytes.size() >= 24 && bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8) &&
      bytes.substr(12, 4) == "IHDR") {
    return Checked(BigEndian(bytes, 16, 4), BigEndian(bytes, 20, 4));
  }
  if (bytes.size() >= 26 && bytes.substr(0, 2) == "BM") {
    uint32_t header_size = LittleEndian(bytes, 14, 4);
    if (header_size == 12) return Checked(LittleEndian(bytes, 18, 2), LittleEndian(bytes, 20, 2));
    int32_t height = static_cast<int32_t>(LittleEndian(bytes, 22, 4));  // negative: stored top-down
    return Checked(static_cast<int32_t>(LittleEndian(bytes, 18, 4)), std::llabs(height));
  }
  if (bytes.size() >= 10 && (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a")) {
    return Checked(LittleEndian(bytes, 6, 2), LittleEndian(bytes, 8, 2));
  }
  if (bytes.size() >= 4 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xD8) {
    return JpegSize(bytes);
  }
  return std::nullopt;
}
