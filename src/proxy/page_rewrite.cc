#include "proxy/page_rewrite.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/code_page.h"
#include "proxy/http_head.h"
#include "proxy/memory_budget.h"
#include "proxy/url_helpers.h"
#include "rules/link_text.h"
#include "rules/word_filter.h"

namespace {

constexpr size_t kMaxChunkSizeChars = 9;
constexpr std::string_view kEndTags[] = {"</head>", "</body>", "</html>"};

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool HoldsEndTag(std::string_view text) {
  return std::any_of(std::begin(kEndTags), std::end(kEndTags), [&](std::string_view tag) { return Contains(text, tag); });
}

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

bool Charge(CBudgetShare* budget, size_t bytes) { return budget == nullptr || budget->GrowTo(bytes); }

// Inserts the pieces, converted to the page's encoding, one after another before the end
// tag that InsertBeforeEnd chooses.
void InsertPieces(std::string& body, const std::vector<std::string>& local_pieces, bool utf8_page) {
  std::string joined;
  bool holds_end_tag = false;
  for (const std::string& piece : local_pieces) {
    if (piece.empty()) continue;
    std::string encoded = utf8_page ? WideToUtf8(LocalToWide(piece)) : piece;
    holds_end_tag |= HoldsEndTag(encoded);
    joined += encoded;
  }
  if (!holds_end_tag) {
    InsertBeforeEnd(body, joined);  // every piece lands before the same tag: insert them at once
    return;
  }
  // A piece that holds an end tag itself moves where the following pieces go.
  for (const std::string& piece : local_pieces) {
    if (!piece.empty()) InsertBeforeEnd(body, utf8_page ? WideToUtf8(LocalToWide(piece)) : piece);
  }
}

}  // namespace

double LinkCounts::RemovedShare() const {
  if (examined == 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(removed) / examined * 100.0;
}

void DecodeChunkedInPlace(std::string& body) {
  // Each chunk's data moves towards the front, never past what is still to be read.
  size_t kept = 0;
  size_t at = 0;
  while (at < body.size()) {
    size_t line_end = body.find("\r\n", at);
    if (line_end == std::string::npos) break;
    long size = ChunkSize(std::string_view(body).substr(at, line_end - at));
    if (size <= 0) break;
    size_t data_start = line_end + 2;
    size_t take = std::min(static_cast<size_t>(size), body.size() - data_start);
    std::copy_n(body.begin() + data_start, take, body.begin() + kept);
    kept += take;
    at = data_start + take + 2;
  }
  body.resize(kept);
}

Inflation Gunzip(std::string& body, CBudgetShare* budget, size_t charged) {
  const size_t capacity = kInflateRatio * body.size();
  const size_t first_size = std::min<size_t>(capacity, std::max<size_t>(body.size() * 4, 4096));
  // The inflated page is charged beside the collected bytes it is made from.
  if (!Charge(budget, charged + first_size)) return Inflation::kOverBudget;
  std::string out(first_size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return Inflation::kNotGzip;
  stream.next_in = reinterpret_cast<Bytef*>(body.data());
  stream.avail_in = static_cast<uInt>(body.size());
  int result = Z_OK;
  // Output is produced until the stream ends, the input runs out (a cut-off stream keeps
  // what it gave) or the output reaches its cap; the buffer grows as needed up to the cap.
  while (stream.total_out < capacity && stream.avail_in > 0) {
    if (stream.total_out == out.size()) {
      size_t grown = std::min(capacity, out.size() * 2);
      if (!Charge(budget, charged + grown)) {
        inflateEnd(&stream);
        return Inflation::kOverBudget;
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
  if (!inflated) return Inflation::kNotGzip;
  out.resize(produced);
  // Cut in place and swapped in: a large inflated page is never held twice.
  out.resize(std::min(out.find('\0'), out.size()));
  body.swap(out);
  return Inflation::kInflated;
}

LinkCounts FilterLinks(std::string& page, bool utf8, const CWordFilter& black, const CWordFilter* white) {
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
    if (black.Bans(link, white)) banned.push_back({a, b + 3});
    from = b + 3;
    if (++examined > kMaxExaminedLinks) break;
  }
  if (!banned.empty()) {
    // Each banned anchor is cut out where it stands, in one pass over the page and in its
    // own buffer: what is kept moves towards the front.
    size_t kept = banned.front().start;
    for (size_t i = 0; i < banned.size(); ++i) {
      size_t next = i + 1 < banned.size() ? banned[i + 1].start : page.size();
      size_t length = next - banned[i].end;
      std::copy_n(page.begin() + banned[i].end, length, page.begin() + kept);
      kept += length;
    }
    page.resize(kept);
  }
  return {examined, static_cast<int>(banned.size())};
}

void InsertBeforeEnd(std::string& body, std::string_view piece) {
  for (std::string_view tag : kEndTags) {
    size_t at = body.find(tag);
    if (at != std::string::npos) {
      body.insert(at, piece);
      return;
    }
  }
}

RewrittenPage RewritePage(CollectedPage page, const PageRewriteRules& rules, CBudgetShare* budget) {
  RewrittenPage result;
  std::string_view collected_body = std::string_view(page.bytes).substr(page.head_length);
  if (collected_body.empty()) {
    result.reply = WithCrLfLineEnds(std::string_view(page.bytes).substr(0, page.head_length));
    return result;
  }
  if (collected_body.starts_with("\x78\x9C")) {  // a zlib body passes as it came
    result.reply = std::move(page.bytes);
    return result;
  }
  const size_t collected = page.bytes.size();
  std::string head = WithCrLfLineEnds(std::string_view(page.bytes).substr(0, page.head_length));
  std::string body = std::move(page.bytes);
  body.erase(0, page.head_length);
  if (page.chunked) DecodeChunkedInPlace(body);
  if (body.starts_with("\x1F\x8B")) {
    switch (Gunzip(body, budget, collected)) {
      case Inflation::kInflated:
        if (FindHeaderField(head, "Content-Encoding")) SetHeaderField(head, "Content-Encoding", "none");
        break;
      case Inflation::kNotGzip:
        break;
      case Inflation::kOverBudget:
        result.over_budget = true;
        return result;
    }
  }
  if (FindHeaderField(head, "Transfer-Encoding")) SetHeaderField(head, "Transfer-Encoding", "none");

  bool utf8 = LooksLikeUtf8(body) == 1;
  if (rules.black != nullptr) result.links = FilterLinks(body, utf8, *rules.black, rules.white);

  // A frameset page has no body for the pieces: inserted, they would replace its frames.
  if (!ContainsIgnoringCase(body, "<frameset") && HoldsEndTag(body)) InsertPieces(body, rules.pieces, utf8);
  SetHeaderField(head, "Content-Length", std::to_string(body.size()));  // a head without one is left so
  body.insert(0, head);
  result.reply = std::move(body);
  return result;
}
