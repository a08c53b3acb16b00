#include "platform/posix/utf8_codec.h"

#include <cstdint>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Number of continuation bytes after `lead`, and the range the first of them must lie in
// (which excludes overlong forms, surrogates and values above U+10FFFF). 0 continuation
// bytes with a non-ASCII lead means the lead is invalid.
struct LeadInfo {
  int trailing;
  uint8_t first_low, first_high;
};

LeadInfo ClassifyLead(uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF};
  if (lead == 0xE0) return {2, 0xA0, 0xBF};
  if (lead == 0xED) return {2, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF};
  if (lead == 0xF0) return {3, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF};
  if (lead == 0xF4) return {3, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

std::u16string DecodeUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    uint8_t lead = static_cast<uint8_t>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    LeadInfo info = ClassifyLead(lead);
    if (info.trailing == 0) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    uint32_t cp = lead & (0x3F >> info.trailing);
    size_t next = i + 1;
    bool complete = true;
    for (int k = 0; k < info.trailing; ++k, ++next) {
      uint8_t low = k == 0 ? info.first_low : 0x80;
      uint8_t high = k == 0 ? info.first_high : 0xBF;
      if (next >= utf8.size()) {
        complete = false;
        break;
      }
      uint8_t byte = static_cast<uint8_t>(utf8[next]);
      if (byte < low || byte > high) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (byte & 0x3F);
    }
    if (complete) {
      AppendCodePoint(out, cp);
    } else {
      out.push_back(kReplacement);  // the valid prefix read so far is one maximal subpart
    }
    i = next;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    uint32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}
