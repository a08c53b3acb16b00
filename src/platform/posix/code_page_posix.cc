#include "platform/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>

#include "platform/posix/utf8_codec.h"

namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16LE is handed to iconv as char16_t");

constexpr const char* kLocalCodePage = "CP936";

template <typename Char>
std::basic_string_view<Char> UpToNul(std::basic_string_view<Char> text) {
  return text.substr(0, std::min(text.find(Char{}), text.size()));
}

template <typename Char>
bool IsAscii(std::basic_string_view<Char> text) {
  return std::all_of(text.begin(), text.end(), [](Char c) { return static_cast<uint32_t>(c) < 0x80; });
}

// One conversion descriptor per thread and direction: iconv_t keeps state and may not be
// shared between threads, and opening one costs far more than a typical conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; each input unit that does not convert (of `unit` bytes) is skipped and
  // `replacement` written in its place. Returns the output bytes.
  std::string Run(std::string_view in, size_t unit, std::string_view replacement) {
    std::string out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buffer[4096];
    while (src_left > 0) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
      out.append(replacement);
      size_t skip = std::min(src_left, unit);
      if (errno == EINVAL) skip = src_left;  // incomplete sequence at the end
      src += skip;
      src_left -= skip;
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::u16string LocalToWide(std::string_view local) {
  local = UpToNul(local);
  if (IsAscii(local)) return std::u16string(local.begin(), local.end());
  thread_local Converter converter("UTF-16LE", kLocalCodePage);
  std::u16string wide;
  if (!converter.ok()) {
    for (char c : local) wide.push_back(static_cast<unsigned char>(c) < 0x80 ? c : u'?');
    return wide;
  }
  std::string bytes = converter.Run(local, 1, std::string_view("?\0", 2));
  wide.resize(bytes.size() / 2);
  std::copy_n(bytes.data(), wide.size() * 2, reinterpret_cast<char*>(wide.data()));
  return wide;
}

std::string WideToLocal(std::u16string_view wide) {
  wide = UpToNul(wide);
  if (IsAscii(wide)) return std::string(wide.begin(), wide.end());
  thread_local Converter converter(kLocalCodePage, "UTF-16LE");
  if (!converter.ok()) {
    std::string local;
    for (char16_t c : wide) local.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return local;
  }
  std::string_view bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  return converter.Run(bytes, 2, "?");
}

std::u16string Utf8ToWide(std::string_view utf8) { return DecodeUtf8(UpToNul(utf8)); }

std::string WideToUtf8(std::u16string_view wide) { return EncodeUtf8(UpToNul(wide)); }
