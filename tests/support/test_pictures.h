#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Small picture files for tests that need real ones: PNG (stored, uncompressed deflate
// blocks) and 24-bit BMP, both filled with one colour per pixel column band.
namespace test_pictures {

inline uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void PutBig(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline void PutLittle(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// `colour(x, y)` gives 0xRRGGBB.
template <typename Colour>
std::string Png(int width, int height, Colour colour) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    for (int x = 0; x < width; ++x) {
      uint32_t c = colour(x, y);
      raw += static_cast<char>(c >> 16);
      raw += static_cast<char>(c >> 8);
      raw += static_cast<char>(c);
    }
  }
  std::string zlib("\x78\x01", 2);
  uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    size_t length = std::min<size_t>(65535, raw.size() - at);
    bool last = at + length >= raw.size();
    zlib += static_cast<char>(last ? 1 : 0);
    PutLittle(zlib, static_cast<uint32_t>(length), 2);
    PutLittle(zlib, static_cast<uint32_t>(~length & 0xFFFF), 2);
    zlib += raw.substr(at, length);
    if (last) break;
  }
  PutBig(zlib, b << 16 | a);
  auto chunk = [](std::string& out, const char* type, const std::string& data) {
    PutBig(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBig(out, Crc32(body));
  };
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBig(header, static_cast<uint32_t>(width));
  PutBig(header, static_cast<uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", zlib);
  chunk(png, "IEND", "");
  return png;
}

template <typename Colour>
std::string Bmp(int width, int height, Colour colour) {
  int row = (width * 3 + 3) / 4 * 4;
  std::string bmp = "BM";
  PutLittle(bmp, static_cast<uint32_t>(54 + row * height), 4);
  PutLittle(bmp, 0, 4);
  PutLittle(bmp, 54, 4);
  PutLittle(bmp, 40, 4);
  PutLittle(bmp, static_cast<uint32_t>(width), 4);
  PutLittle(bmp, static_cast<uint32_t>(height), 4);
  PutLittle(bmp, 1, 2);
  PutLittle(bmp, 24, 2);
  for (int i = 0; i < 6; ++i) PutLittle(bmp, 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    std::string line;
    for (int x = 0; x < width; ++x) PutLittle(line, colour(x, y), 3);
    line.resize(static_cast<size_t>(row), '\0');
    bmp += line;
  }
  return bmp;
}

inline void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// The pictures the main window loads, under `folder`\Images: the ten digits (`digit_width`
// wide), the three caption-button strips (78 x 26), the background and the mode pictures.
inline void WriteMainWindowPictures(const std::filesystem::path& folder, int digit_width) {
  std::filesystem::path images = folder / "Images";
  for (int digit = 0; digit < 10; ++digit) {
    Write(images / (std::to_string(digit) + ".png"), Png(digit_width, 48, [digit](int x, int y) -> uint32_t {
            bool ink = (x > 3 && x < 9) || y < 4 || y > 43 || (digit % 2 == 0 && x > 24);
            return ink ? 0x1E8C3Cu : 0xE8F5ECu;
          }));
  }
  // A light cross on each frame, darker from frame to frame.
  auto strip = [](int x, int y) -> uint32_t {
    int frame = x / 26, u = x % 26;
    bool cross = (u - y == 0 || u - y == 1 || u + y == 25 || u + y == 24) && y > 6 && y < 19;
    return cross ? 0xFFFFFFu : frame == 0 ? 0x4CAF50u : frame == 1 ? 0x388E3Cu : 0x1B5E20u;
  };
  for (const char* name : {"CloseButton.bmp", "mini.bmp", "dropdown.bmp"}) Write(images / name, Bmp(78, 26, strip));
  Write(images / "mainbg.jpg", Png(898, 600, [](int x, int y) -> uint32_t {
          return y < 46 ? 0x2E7D32u : 0xE8F5ECu - static_cast<uint32_t>(y / 40) * 0x010101u;
        }));
  for (const char* name : {"jiese1.png", "jiese2.png", "xiushen1.png", "xiushen2.png", "share.png"}) {
    Write(images / name, Png(48, 48, [](int x, int y) -> uint32_t { return (x + y) % 16 < 8 ? 0x7B1FA2u : 0xF3E5F5u; }));
  }
}

}  // namespace test_pictures
