#include "proxy/http_response.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "config/settings.h"
#include "platform/code_page.h"
#include "proxy/http_head.h"
#include "proxy/memory_budget.h"
#include "proxy/url_helpers.h"
#include "rules/link_text.h"
#include "rules/page_assets.h"
#include "rules/word_filter.h"

namespace {

constexpr std::string_view kNoImageScript = "<script>kezo_data.no_img='1';kezo_data.do_filter();</script>";
constexpr size_t kMaxChunkSizeChars = 9;

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// `part` is lower case ASCII.
bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [&](char a, char b) { return lower(a) == b; }) != text.end();
}

// The chunk size at the start of a size line, read as strtol reads base 16.
long ChunkSize(std::string_view size_line) {
  std::string digits(size_line.substr(0, kMaxChunkSizeChars));
  return std::strtol(digits.c_str(), nullptr, 16);
}

}  // namespace

CHttpResponse::CHttpResponse(const CWordFilter* black, const CWordFilter* white, CPageAssets* assets,
                             SetupRecord& setup, CBudgetShare* budget)
    : black_(black), white_(white), assets_(assets), setup_(setup), budget_(budget) {}

bool CHttpResponse::Charge(size_t bytes) {
  if (budget_ == nullptr || budget_->GrowTo(bytes)) return true;
  over_budget_ = true;
  return false;
}

std::string CHttpResponse::Take(std::string_view bytes) {
  received_ += bytes.size();
  if (HeadTooLarge()) return {};
  // Only the new bytes (and the three before them) can complete the blank line: a head
  // that arrives a byte at a time is searched once, not once per byte.
  size_t search_from = data_.size() >= 3 ? data_.size() - 3 : 0;
  if (over_budget_ || (page_ && !Charge(data_.size() + bytes.size()))) return {};
  if (!head_complete_ || page_) data_.append(bytes);
  if (!head_complete_) {
    size_t blank_line = data_.find("\r\n\r\n", search_from);
    if (blank_line == std::string::npos) return {};
    head_length_ = blank_line + 4;
    head_ = data_.substr(0, head_length_);
    head_complete_ = true;
    AnalyseHead();
    if (page_ && !Charge(data_.size())) return {};
    return page_ ? std::string() : data_;
  }
  return page_ ? std::string() : std::string(bytes);
}

ResponseStep CHttpResponse::Advance(std::string_view bytes, std::string& out) {
  out = Take(bytes);
  if (HeadTooLarge() || over_budget_) return ResponseStep::kAbort;
  if (!head_complete_) return ResponseStep::kNeedMore;
  if (page_) {
    if (data_.size() > kMaxPageSize) {
      TreatAsStream();
      out = data_;
      return IsComplete() ? ResponseStep::kComplete : ResponseStep::kStream;
    }
    return IsComplete() ? Finish(out) : ResponseStep::kNeedMore;
  }
  if (big_image_ && suppress_pictures_) return ResponseStep::kBlankImage;
  if (IsComplete()) return ResponseStep::kComplete;
  return out.empty() ? ResponseStep::kNeedMore : ResponseStep::kForward;
}

ResponseStep CHttpResponse::Finish(std::string& out) {
  out.clear();
  if (!head_complete_ || over_budget_) return ResponseStep::kAbort;
  if (!page_) return ResponseStep::kComplete;
  out = RewritePage();
  return over_budget_ ? ResponseStep::kAbort : ResponseStep::kPageReady;
}

void CHttpResponse::AnalyseHead() {
  std::string type = std::string(FindHeaderField(head_, "Content-Type").value_or(""));
  for (char& c : type) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  page_ = StatusCodeOf(head_) == 200 && Contains(type, "text/html");
  chunked_ = HasToken(FindHeaderField(head_, "Transfer-Encoding").value_or(""), "chunked");
  std::optional<std::string_view> length = FindHeaderField(head_, "Content-Length");
  std::optional<size_t> parsed = length && !chunked_ ? ParseContentLength(*length, INT_MAX) : std::nullopt;
  content_length_ = parsed ? static_cast<int>(*parsed) : -1;
  big_image_ = type.starts_with("image") && content_length_ > kSmallImageBytes;
}

void CHttpResponse::DecodeChunked() {
  std::string out;
  size_t at = 0;
  while (at < body_.size()) {
    size_t line_end = body_.find("\r\n", at);
    if (line_end == std::string::npos) break;
    long size = ChunkSize(std::string_view(body_).substr(at, line_end - at));
    if (size <= 0) break;
    size_t data_start = line_end + 2;
    size_t take = std::min(static_cast<size_t>(size), body_.size() - data_start);
    out.append(body_, data_start, take);
    at = data_start + take + 2;
  }
  body_.swap(out);
}

bool CHttpResponse::Gunzip() {
  const size_t capacity = kInflateRatio * body_.size();
  const size_t first_size = std::min<size_t>(capacity, std::max<size_t>(body_.size() * 4, 4096));
  // The inflated page is charged beside the collected bytes it is made from.
  if (!Charge(data_.size() + first_size)) return false;
  std::string out(first_size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(body_.data());
  stream.avail_in = static_cast<uInt>(body_.size());
  int result = Z_OK;
  // Output is produced until the stream ends, the input runs out (a cut-off stream keeps
  // what it gave) or the output reaches its cap; the buffer grows as needed up to the cap.
  while (stream.total_out < capacity && stream.avail_in > 0) {
    if (stream.total_out == out.size()) {
      size_t grown = std::min(capacity, out.size() * 2);
      if (!Charge(data_.size() + grown)) {
        inflateEnd(&stream);
        return false;
      }
      out.resize(grown);
    }
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
    stream.avail_out = static_cast<uInt>(out.size() - stream.total_out);
    result = inflate(&stream, Z_NO_FLUSH);
    if (result == Z_STREAM_END) break;
    if (result == Z_DATA_ERROR) {
      // Damaged data gets one more call, fed a zlib header; only an OK from it lets the
      // inflation go on. (A failed gzip stream stays failed, so in practice this ends it.)
      static const Bytef kZlibHeader[] = {0x78, 0x01};
      Bytef* rest = stream.next_in;
      uInt rest_length = stream.avail_in;
      stream.next_in = const_cast<Bytef*>(kZlibHeader);
      stream.avail_in = sizeof kZlibHeader;
      result = inflate(&stream, Z_NO_FLUSH);
      if (result != Z_OK) {
        result = Z_DATA_ERROR;
        break;
      }
      stream.next_in = rest;
      stream.avail_in = rest_length;
      continue;
    }
    if (result != Z_OK) break;
  }
  bool inflated = result == Z_OK || result == Z_STREAM_END || (result == Z_BUF_ERROR && stream.avail_in == 0);
  size_t produced = std::min<size_t>(stream.total_out, capacity);
  inflated = inflateEnd(&stream) == Z_OK && inflated;
  if (!inflated) return false;
  out.resize(produced);
  // Cut in place and swapped in: a large inflated page is never held twice.
  out.resize(std::min(out.find('\0'), out.size()));
  body_.swap(out);
  return true;
}

void CHttpResponse::FilterLinks(std::string& page, bool utf8) {
  if (black_ == nullptr) return;
  struct Span {
    size_t start, end;
  };
  std::vector<Span> banned;
  int examined = 0;
  for (size_t from = 0;;) {
    size_t a = page.find("<a ", from);
    if (a == std::string::npos) break;
    size_t b = page.find("/a>", a);
    if (b == std::string::npos) break;
    std::string_view anchor = std::string_view(page).substr(a, b + 3 - a);
    std::u16string link = LinkText(utf8 ? Utf8ToWide(anchor) : LocalToWide(anchor));
    if (black_->Bans(link, white_)) banned.push_back({a, b + 3});
    from = b + 3;
    if (++examined > kMaxExaminedLinks) break;
  }
  if (!banned.empty()) {
    // Each banned anchor is cut out where it stands, in one pass over the page.
    std::string kept;
    kept.reserve(page.size());
    size_t at = 0;
    for (const Span& span : banned) {
      kept.append(page, at, span.start - at);
      at = span.end;
    }
    kept.append(page, at, std::string::npos);
    page.swap(kept);
  }
  links_examined_ = examined;
  links_removed_ = static_cast<int>(banned.size());
  setup_.AddFilterCount(links_removed_);
}

double CHttpResponse::RemovedShare() const {
  if (links_examined_ == 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(links_removed_) / links_examined_ * 100.0;
}

void CHttpResponse::InsertBeforeEnd(std::string_view piece) {
  for (std::string_view tag : {"</head>", "</body>", "</html>"}) {
    size_t at = body_.find(tag);
    if (at != std::string::npos) {
      body_.insert(at, piece);
      return;
    }
  }
}

void CHttpResponse::InsertPieces(const std::vector<std::string>& local_pieces, bool utf8_page) {
  std::string joined;
  bool holds_end_tag = false;
  for (const std::string& piece : local_pieces) {
    if (piece.empty()) continue;
    std::string encoded = utf8_page ? WideToUtf8(LocalToWide(piece)) : piece;
    holds_end_tag |= Contains(encoded, "</head>") || Contains(encoded, "</body>") || Contains(encoded, "</html>");
    joined += encoded;
  }
  if (!holds_end_tag) {
    InsertBeforeEnd(joined);  // every piece lands before the same tag: insert them at once
    return;
  }
  // A piece that holds an end tag itself moves where the following pieces go.
  for (const std::string& piece : local_pieces) {
    if (!piece.empty()) InsertBeforeEnd(utf8_page ? WideToUtf8(LocalToWide(piece)) : piece);
  }
}

std::string CHttpResponse::RewritePage() {
  if (over_budget_) return {};
  if (received_ <= head_length_) return head_;
  body_.assign(data_, head_length_, std::string::npos);
  if (body_.starts_with("\x78\x9C")) return data_;
  if (chunked_) DecodeChunked();
  if (!body_.empty() && body_.starts_with("\x1F\x8B") && Gunzip() && FindHeaderField(head_, "Content-Encoding")) {
    SetHeaderField(head_, "Content-Encoding", "none");
  }
  if (over_budget_) return {};
  if (FindHeaderField(head_, "Transfer-Encoding")) SetHeaderField(head_, "Transfer-Encoding", "none");

  bool utf8 = LooksLikeUtf8(body_) == 1;
  FilterLinks(body_, utf8);

  // A frameset page has no body for the pieces: inserted, they would replace its frames.
  bool frameset = ContainsIgnoringCase(body_, "<frameset");
  if (!frameset && (Contains(body_, "</head>") || Contains(body_, "</body>") || Contains(body_, "</html>"))) {
    std::vector<std::string> pieces;
    if (assets_ != nullptr) {
      pieces.push_back(assets_->GetTipLine());
      if (setup_.WebControl) pieces.push_back(assets_->GetToolbarHtml());
      pieces.push_back(assets_->GetPageScript());
    }
    if (setup_.NonePicture == 2 && no_image_script_) pieces.emplace_back(kNoImageScript);
    InsertPieces(pieces, utf8);
  }
  SetHeaderField(head_, "Content-Length", std::to_string(body_.size()));  // a head without one is left so
  std::string reply;
  reply.reserve(head_.size() + body_.size());
  return reply.append(head_).append(body_);
}

std::string CHttpResponse::ImageReply(std::string_view blank_image) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(blank_image.size()) +
         "\r\nConnection: close\r\nContent-Type: image/gif\r\n\r\n" + std::string(blank_image);
}

std::string BuildTipPage(std::string_view status, std::string_view url) {
  // The title "Veltra" is plain ASCII, the same in GB2312.
  return "HTTP/1.0 " + std::string(status) +
         " \r\nContent-Type: text/html; charset=gb2312\r\nConnection: close\r\n\r\n<html>\r\n<head>\r\n"
         "<meta http-equiv='Content-Type' content='text/html; charset=gb2312' />\r\n"
         "<meta http-equiv='refresh' content='0;URL=" +
         std::string(url) + "'/></span></strong><title>Veltra</title>\r\n<body>\r\n</body>\r\n</html>";
}
