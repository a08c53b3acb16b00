#include "rules/data_file.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

constexpr std::string_view kKey = "DadiViz";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Body {
  bool has_bom;
  std::string bytes;
};

// The file's body, unscrambled, after its mark. `has_bom` is only meaningful when the file
// is long enough to hold a mark.
std::optional<Body> ReadBody(std::string_view path, bool scrambled, bool had_bom) {
  std::optional<std::string> content = FileSystem::Current().ReadAll(path);
  if (!content) return std::nullopt;
  Body body{had_bom, std::move(*content)};
  if (body.bytes.size() >= kByteOrderMark.size()) {
    body.has_bom = body.bytes.starts_with(kByteOrderMark);
    if (body.has_bom) body.bytes.erase(0, kByteOrderMark.size());
  }
  if (scrambled) CMyFile::Scramble(body.bytes);
  return body;
}

}  // namespace

CMyFile::CMyFile(std::string path, bool scrambled) : path_(std::move(path)), scrambled_(scrambled) {}

void CMyFile::Scramble(std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ kKey[i % kKey.size()]);
}

void CMyFile::Read() {
  std::optional<Body> body = ReadBody(path_, scrambled_, has_bom_);
  if (!body) {
    text_.clear();
    return;
  }
  has_bom_ = body->has_bom;
  text_ = has_bom_ ? Utf8ToWide(body->bytes) : LocalToWide(body->bytes);
}

std::optional<std::string> CMyFile::ReadUtf8Body(std::string_view path, bool scrambled) {
  std::optional<Body> body = ReadBody(path, scrambled, false);
  if (!body) return std::nullopt;
  std::string& bytes = body->bytes;
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!body->has_bom && !ascii) return WideToUtf8(LocalToWide(bytes));
  return std::move(bytes);
}

bool CMyFile::Write(std::string_view bytes) const { return WriteTo(bytes, path_); }

bool CMyFile::WriteTo(std::string_view bytes, std::string_view path) const {
  std::string body(bytes.substr(0, bytes.find('\0')));
  if (scrambled_) Scramble(body);
  if (has_bom_) body.insert(0, kByteOrderMark);
  return FileSystem::Current().Replace(path, body);
}

std::string CMyFile::Encode(std::u16string_view text) const {
  return has_bom_ ? WideToUtf8(text) : WideToLocal(text);
}
