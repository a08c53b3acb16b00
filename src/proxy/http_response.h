#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CBudgetShare;
class CPageAssets;
class CWordFilter;
struct SetupRecord;

// One response to a filtered request as the proxy reads it from the web server: the head
// is analysed when it is complete; a page (status 200, text/html) is collected whole and
// rewritten before it is sent, anything else streams through.
//
// Used by one connection thread. The matchers, page assets and settings it is given are
// shared with other threads and must outlive it.
class CHttpResponse {
 public:
  // Pictures up to this size pass even where pictures are suppressed.
  static constexpr int kSmallImageBytes = 100;
  // Anchors beyond this many are left unexamined.
  static constexpr int kMaxExaminedLinks = 10000;
  // A gzip body inflates to at most this many times its size; the rest is cut off.
  static constexpr size_t kInflateRatio = 18;
  // A head that grows past this without its blank line is given up (HeadTooLarge); what
  // arrives after that is not kept. Browsers refuse response heads of this size too.
  static constexpr size_t kMaxHeadSize = 256 * 1024;

  // `black` may be null (then links are not filtered); `white` and `assets` may be null.
  // `budget`, when given, is charged with the page as it is collected and inflated; it
  // must outlive the response.
  CHttpResponse(const CWordFilter* black, const CWordFilter* white, CPageAssets* assets, SetupRecord& setup,
                CBudgetShare* budget = nullptr);

  // Takes the next bytes from the server. Returns the bytes that may go to the browser
  // now: nothing while the head is incomplete or while a page is being collected; the
  // whole of what arrived once the head of a non-page completes; the new bytes after that.
  std::string Take(std::string_view bytes);
  // Whether everything the head announced has arrived.
  bool IsComplete() const { return head_complete_ && content_length_ >= 0 && received_ >= content_length_ + head_length_; }

  // Finds out from the head and the bytes after it what kind of response this is.
  void AnalyseHead();
  // The page made ready for the browser: de-chunked, inflated, links whose text is banned
  // removed, the page pieces injected, the Content-Length corrected. Returns head + body;
  // nothing when the page is over budget.
  std::string RewritePage();
  // Decodes a chunked body in place; the chunk data is kept in order, sizes and chunk
  // line ends dropped. A chunked body without any line end becomes empty.
  void DecodeChunked();
  // Inflates a gzip body in place; false (body unchanged) when the data is not gzip or the
  // budget has no room for what it inflates to (then OverBudget()).
  bool Gunzip();
  // Removes from `page` (UTF-8 or the local code page, as `utf8` says) every anchor whose
  // link text the black matcher bans and the white matcher does not clear, counts the
  // examined and removed anchors and adds the removed ones to the filtered-item counter.
  // Anchors are found on the bytes (their markers are ASCII in both encodings) and only
  // each anchor is decoded for judging, so the rest of the page keeps its bytes exactly.
  void FilterLinks(std::string& page, bool utf8);
  // Inserts `piece` into the body before the first "</head>", else the first "</body>",
  // else the first "</html>"; nothing when the body has none of them.
  void InsertBeforeEnd(std::string_view piece);
  // The complete reply that replaces a suppressed picture.
  static std::string ImageReply(std::string_view blank_image);

  bool IsPage() const { return page_; }
  bool IsBigImage() const { return big_image_; }
  bool IsChunked() const { return chunked_; }
  bool HeadComplete() const { return head_complete_; }
  // Whether the page needed more memory than the budget had: it was not collected whole
  // (or not inflated) and must not be sent.
  bool OverBudget() const { return over_budget_; }
  // Whether kMaxHeadSize bytes have arrived without the head's blank line; Take keeps
  // nothing more then and passes nothing on. (At most one receive past the bound is held.)
  bool HeadTooLarge() const { return !head_complete_ && data_.size() >= kMaxHeadSize; }
  int ContentLength() const { return content_length_; }
  size_t Received() const { return received_; }
  const std::string& Head() const { return head_; }
  const std::string& Body() const { return body_; }
  void SetBody(std::string body) { body_ = std::move(body); }
  // Everything collected so far, head included.
  const std::string& Data() const { return data_; }
  // Stops treating the response as a page: what was collected and all that follows is
  // passed on unchanged.
  void TreatAsStream() { page_ = false; }

  void SetNoImageScript(bool set) { no_image_script_ = set; }
  int LinksExamined() const { return links_examined_; }
  int LinksRemoved() const { return links_removed_; }
  // Removed anchors in percent of the examined ones; not a number when none was examined.
  double RemovedShare() const;

 private:
  // Inserts the page pieces (local code page), converted to the page's encoding, one
  // after another before the end tag that InsertBeforeEnd chooses.
  void InsertPieces(const std::vector<std::string>& local_pieces, bool utf8_page);

  const CWordFilter* black_;
  const CWordFilter* white_;
  CPageAssets* assets_;
  SetupRecord& setup_;
  CBudgetShare* budget_;

  // Grows the budget share to `bytes`; marks the response over budget when it cannot.
  bool Charge(size_t bytes);

  bool over_budget_ = false;
  bool big_image_ = false;
  bool page_ = false;
  bool chunked_ = false;
  bool head_complete_ = false;
  bool no_image_script_ = false;
  int content_length_ = -1;
  size_t head_length_ = 0;
  size_t received_ = 0;
  std::string data_;
  std::string head_;
  std::string body_;
  int links_examined_ = 0;
  int links_removed_ = 0;
};

// A page that sends the browser on to `url` at once, with the status text `status`.
std::string BuildTipPage(std::string_view status, std::string_view url);
