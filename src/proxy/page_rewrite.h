#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CBudgetShare;
class CWordFilter;

// The rewriting of a filtered page, from the response as it was collected to the reply the
// browser gets: the chunked coding undone, a gzip body inflated, the links whose text is
// banned cut out, the page pieces inserted and the Content-Length corrected. The steps
// depend on nothing but their arguments; the one shared thing they touch is the memory
// budget a rewrite may charge.

// A gzip body inflates to at most this many times its size; the rest is cut off.
inline constexpr size_t kInflateRatio = 18;
// Anchors beyond this many are left unexamined.
inline constexpr int kMaxExaminedLinks = 10000;

// A page as it arrived: its head (up to and including the blank line) and what followed,
// in one buffer. The rewrite works in that buffer and hands it on as the reply, so that a
// page is held once; room reserved beyond its bytes takes the pieces without a move.
struct CollectedPage {
  std::string bytes;
  size_t head_length = 0;
  bool chunked = false;  // the head names the chunked transfer coding
};

// What a page is rewritten with.
struct PageRewriteRules {
  const CWordFilter* black = nullptr;  // null: links are not filtered
  const CWordFilter* white = nullptr;  // clears the banned words it overlaps; may be null
  // Inserted one after another before the end of the head, in the local code page (they
  // are converted to a UTF-8 page's encoding). Empty pieces are skipped.
  std::vector<std::string> pieces;
};

struct LinkCounts {
  int examined = 0;
  int removed = 0;
  // Removed anchors in percent of the examined ones; not a number when none was examined.
  double RemovedShare() const;
};

struct RewrittenPage {
  std::string reply;         // head and body for the browser (the collected buffer); empty
                             // when over budget
  bool over_budget = false;  // the budget had no room: the page must not be sent at all
  LinkCounts links;
};

// The whole rewrite. A page with an empty body is its head; a zlib body (not gzip) is
// passed as it came. `budget`, when given, already holds the collected bytes and is grown
// for what inflating adds.
RewrittenPage RewritePage(CollectedPage page, const PageRewriteRules& rules, CBudgetShare* budget = nullptr);

// Decodes a chunked body in place: the chunk data is kept in order, sizes and chunk line
// ends dropped. A chunked body without any line end becomes empty.
void DecodeChunkedInPlace(std::string& body);

enum class Inflation {
  kInflated,    // `body` holds the inflated data, cut at its first NUL and at kInflateRatio
  kNotGzip,     // damaged or not gzip: `body` is unchanged
  kOverBudget,  // the budget has no room for what it inflates to: `body` is unchanged
};
// Inflates a gzip body in place. `budget`, when given, is grown to `charged` plus the
// inflated size as it is produced.
Inflation Gunzip(std::string& body, CBudgetShare* budget = nullptr, size_t charged = 0);

// Removes from `page` (UTF-8 or the local code page, as `utf8` says) every anchor whose
// link text `black` bans (CWordFilter::Bans, with `white`, which may be null). Anchors are found on the
// bytes (their markers are ASCII in both encodings) and only each anchor is decoded for
// judging, so the rest of the page keeps its bytes exactly.
LinkCounts FilterLinks(std::string& page, bool utf8, const CWordFilter& black, const CWordFilter* white);

// Inserts `piece` into `body` before the first "</head>", else the first "</body>", else
// the first "</html>"; nothing when the body has none of them.
void InsertBeforeEnd(std::string& body, std::string_view piece);
