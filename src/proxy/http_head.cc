#include "proxy/http_head.h"

#include <algorithm>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

std::string_view Trimmed(std::string_view text) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") + 1 - start);
}

// Calls `visit(name, value)` for each field line of `head` until it returns true.
template <typename Visit>
void ForEachField(std::string_view head, Visit visit) {
  size_t at = head.find('\n');
  while (at != std::string_view::npos && at + 1 < head.size()) {
    size_t start = at + 1;
    size_t end = head.find('\n', start);
    std::string_view line = head.substr(start, (end == std::string_view::npos ? head.size() : end) - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) return;  // the blank line ends the head
    size_t colon = line.find(':');
    if (colon != std::string_view::npos && visit(line.substr(0, colon), Trimmed(line.substr(colon + 1)))) return;
    at = end;
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<std::string_view> FindHeaderField(std::string_view head, std::string_view name) {
  std::optional<std::string_view> found;
  ForEachField(head, [&](std::string_view field, std::string_view value) {
    if (!EqualIgnoringCase(Trimmed(field), name)) return false;
    found = value;
    return true;
  });
  return found;
}

void SetHeaderField(std::string& head, std::string_view name, std::string_view value) {
  const std::string line = std::string(name) + ": " + std::string(value);
  bool set = false;
  size_t start = head.find('\n');
  while (start != std::string::npos && start + 1 < head.size()) {
    start += 1;
    size_t end = head.find('\n', start);
    if (end == std::string::npos) break;
    size_t content_end = end > start && head[end - 1] == '\r' ? end - 1 : end;
    std::string_view current = std::string_view(head).substr(start, content_end - start);
    if (current.empty()) return;
    size_t colon = current.find(':');
    if (colon != std::string_view::npos && EqualIgnoringCase(Trimmed(current.substr(0, colon)), name)) {
      if (set) {
        head.erase(start, end + 1 - start);
        start -= 1;
        continue;
      }
      head.replace(start, content_end - start, line);
      end = start + line.size() + (end - content_end);
      set = true;
    }
    start = end;
  }
}

size_t HeadLength(std::string_view data, size_t search_from) {
  // The blank line is an LF, with or without a CR before it, right after a line's LF.
  size_t from = search_from >= 2 ? search_from - 2 : 0;
  for (size_t at = data.find('\n', from); at != std::string_view::npos; at = data.find('\n', at + 1)) {
    if (at + 1 < data.size() && data[at + 1] == '\n') return at + 2;
    if (at + 2 < data.size() && data[at + 1] == '\r' && data[at + 2] == '\n') return at + 3;
  }
  return std::string_view::npos;
}

std::string WithCrLfLineEnds(std::string_view head) {
  std::string out;
  out.reserve(head.size() + 16);
  for (size_t at = 0; at < head.size(); ++at) {
    if (head[at] == '\n' && (at == 0 || head[at - 1] != '\r')) out += '\r';
    out += head[at];
  }
  return out;
}

int StatusCodeOf(std::string_view head) {
  constexpr std::string_view kVersion = "HTTP/1.";
  if (!head.starts_with(kVersion) || head.size() < kVersion.size() + 5 || head[kVersion.size() + 1] != ' ') return 0;
  std::string_view code = head.substr(kVersion.size() + 2, 3);
  if (code.find_first_not_of("0123456789") != std::string_view::npos) return 0;
  char after = head.size() > kVersion.size() + 5 ? head[kVersion.size() + 5] : '\r';
  if (after != ' ' && after != '\r' && after != '\n') return 0;
  return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

bool HasToken(std::string_view value, std::string_view token) {
  for (size_t start = 0; start <= value.size();) {
    size_t comma = std::min(value.find(',', start), value.size());
    std::string_view item = Trimmed(value.substr(start, comma - start));
    item = item.substr(0, std::min(item.find(';'), item.size()));
    if (EqualIgnoringCase(Trimmed(item), token)) return true;
    start = comma + 1;
  }
  return false;
}

std::optional<size_t> ParseContentLength(std::string_view value, size_t limit) {
  std::optional<size_t> length;
  for (size_t start = 0; start <= value.size();) {
    size_t comma = std::min(value.find(',', start), value.size());
    std::string_view number = Trimmed(value.substr(start, comma - start));
    if (number.empty() || number.size() > 18 || number.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    size_t parsed = 0;
    for (char digit : number) parsed = parsed * 10 + static_cast<size_t>(digit - '0');
    if (parsed > limit || (length && *length != parsed)) return std::nullopt;
    length = parsed;
    start = comma + 1;
  }
  return length;
}

std::optional<std::string_view> RequestHead::Field(std::string_view name) const {
  for (const HeaderField& field : fields) {
    if (EqualIgnoringCase(field.name, name)) return std::string_view(field.value);
  }
  return std::nullopt;
}

std::optional<RequestHead> ParseRequestHead(std::string_view head) {
  constexpr std::string_view kVersionMark = " HTTP/1.";
  std::string_view line = head.substr(0, std::min(head.find('\n'), head.size()));
  if (line.ends_with('\r')) line.remove_suffix(1);
  size_t space = line.find(' ');
  size_t version = line.rfind(kVersionMark);
  if (space == 0 || space == std::string_view::npos || version == std::string_view::npos || version <= space ||
      version + kVersionMark.size() >= line.size()) {
    return std::nullopt;
  }
  RequestHead request;
  request.method = line.substr(0, space);
  request.target = line.substr(space + 1, version - space - 1);
  if (request.target.empty()) return std::nullopt;
  request.minor_version = line[version + kVersionMark.size()];
  ForEachField(head, [&](std::string_view name, std::string_view value) {
    // A stray CR or NUL could end the line early for the web server and smuggle in a
    // field this proxy never saw.
    bool stray = name.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos ||
                 value.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos;
    if (!stray) request.fields.push_back({std::string(Trimmed(name)), std::string(value)});
    return false;
  });
  return request;
}

RequestBody BodyOf(const RequestHead& head, size_t limit) {
  if (std::optional<std::string_view> coding = head.Field("Transfer-Encoding")) {
    if (HasToken(*coding, "chunked")) return {RequestBody::kChunked, 0};
    return {RequestBody::kInvalid, 0};
  }
  std::optional<size_t> length;
  for (const HeaderField& field : head.fields) {
    if (!EqualIgnoringCase(field.name, "Content-Length")) continue;
    std::optional<size_t> this_length = ParseContentLength(field.value, limit);
    if (!this_length || (length && *length != *this_length)) return {RequestBody::kInvalid, 0};
    length = this_length;
  }
  if (!length || *length == 0) return {RequestBody::kNone, 0};
  return {RequestBody::kLength, *length};
}

size_t CChunkedBodyEnd::Take(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size() && state_ != kDone && state_ != kFailed) {
    if (state_ == kData) {
      size_t take = std::min(remaining_, bytes.size() - at);
      remaining_ -= take;
      at += take;
      if (remaining_ == 0) state_ = kDataEnd;
      continue;
    }
    char c = bytes[at++];
    auto end_size_line = [&] {
      if (size_digits_ == 0) {
        state_ = kFailed;
      } else {
        state_ = remaining_ == 0 ? kTrailer : kData;
      }
    };
    switch (state_) {
      case kSize:
        if (int digit = HexDigit(c); digit >= 0) {
          if (++size_digits_ > 15) state_ = kFailed;
          remaining_ = remaining_ * 16 + static_cast<size_t>(digit);
        } else if (c == ';' || c == ' ' || c == '\t') {
          state_ = kSizeExtension;
        } else if (c == '\r') {
          state_ = kSizeLineEnd;
        } else if (c == '\n') {
          end_size_line();
        } else {
          state_ = kFailed;
        }
        break;
      case kSizeExtension:
        if (c == '\r') state_ = kSizeLineEnd;
        if (c == '\n') end_size_line();
        break;
      case kSizeLineEnd:
        if (c == '\n') {
          end_size_line();
        } else {
          state_ = kFailed;
        }
        break;
      case kDataEnd:
        if (c == '\r') {
          state_ = kDataLineEnd;
        } else if (c == '\n') {
          state_ = kSize;
          size_digits_ = 0;
        } else {
          state_ = kFailed;
        }
        break;
      case kDataLineEnd:
        state_ = c == '\n' ? kSize : kFailed;
        size_digits_ = 0;
        break;
      case kTrailer:
        state_ = c == '\r' ? kTrailerEnd : c == '\n' ? kDone : kTrailerLine;
        break;
      case kTrailerLine:
        if (c == '\n') state_ = kTrailer;
        break;
      case kTrailerEnd:
        state_ = c == '\n' ? kDone : kFailed;
        break;
      case kData:
      case kDone:
      case kFailed:
        break;
    }
  }
  return at;
}
