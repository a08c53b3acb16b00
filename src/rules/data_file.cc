#include "rules/data_file.h"

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

constexpr std::string_view kKey = "DadiViz";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

CMyFile::CMyFile(std::string path, bool scrambled) : path_(std::move(path)), scrambled_(scrambled) {}

void CMyFile::Scramble(std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ kKey[i % kKey.size()]);
}

void CMyFile::Read() {
  std::optional<std::string> content = FileSystem::Current().ReadAll(path_);
  if (!content) {
    text_.clear();
    return;
  }
  std::string body = std::move(*content);
  if (body.size() >= kByteOrderMark.size()) {
    has_bom_ = body.starts_with(kByteOrderMark);
    if (has_bom_) body.erase(0, kByteOrderMark.size());
  }
  if (scrambled_) Scramble(body);
  text_ = has_bom_ ? Utf8ToWide(body) : LocalToWide(body);
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
