#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/page_rewrite.h"

class CBudgetShare;
class CPageAssets;
class CWordFilter;
struct SetupRecord;

// What the connection does next with a response, as Advance and Finish decide it.
enum class ResponseStep {
  kNeedMore,    // nothing to send yet: read on
  kForward,     // send `out` and read on: a response that is not a page streams through
  kStream,      // the page is too large to hold: send `out` (all collected) and read on,
                // passing the rest as it comes
  kBlankImage,  // a picture the user does not want: send the blank image reply instead and
                // close
  kAbort,       // close without sending anything more: a head that never ends, or a page
                // the memory budget has no room for (it must not go out unfiltered)
  kComplete,    // the response is over: send `out` (its last bytes, may be empty) and close
  kPageReady,   // the page is whole and rewritten in `out`: judge it, send it and close
};

// One response to a filtered request as the proxy reads it from the web server: the head
// is analysed when it is complete; a page (status 200, text/html) is collected whole and
// rewritten (page_rewrite.h) before it is sent, anything else streams through.
//
// Used by one connection thread. The matchers, page assets and settings it is given are
// shared with other threads and must outlive it.
class CHttpResponse {
 public:
  // Pictures up to this size pass even where pictures are suppressed.
  static constexpr int kSmallImageBytes = 100;
  // A head that grows past this without its blank line is given up (HeadTooLarge); what
  // arrives after that is not kept. Browsers refuse response heads of this size too.
  static constexpr size_t kMaxHeadSize = 256 * 1024;
  // Pages larger than this are passed on unfiltered rather than held in memory.
  static constexpr size_t kMaxPageSize = 8 * 1024 * 1024;
  // Held beyond a page of known length for what the rewrite adds: the page pieces and a
  // longer head.
  static constexpr size_t kRewriteRoom = 4 * 1024;

  // `black` may be null (then links are not filtered); `white` and `assets` may be null.
  // `budget`, when given, is charged with the page as it is collected (a page of known
  // length in full once its head is in) and inflated; it must outlive the response.
  CHttpResponse(const CWordFilter* black, const CWordFilter* white, CPageAssets* assets, SetupRecord& setup,
                CBudgetShare* budget = nullptr);

  // The stage's step for the next bytes from the server; `out` receives what the step
  // says to send.
  ResponseStep Advance(std::string_view bytes, std::string& out);
  // The step once the server has closed or fallen silent. A page is rewritten here
  // (RewritePage), with the page pieces of the settings, and its removed links are added
  // to the filtered-item counter.
  ResponseStep Finish(std::string& out);
  // Whether big pictures are to be replaced by the blank image (kBlankImage). Set before
  // the first bytes.
  void SetSuppressPictures(bool set) { suppress_pictures_ = set; }
  // Whether a page gets the script that hides its pictures. Set before Finish.
  void SetNoImageScript(bool set) { no_image_script_ = set; }

  // Takes the next bytes from the server. Returns the bytes that may go to the browser
  // now: nothing while the head is incomplete or while a page is being collected; the
  // whole of what arrived once the head of a non-page completes; the new bytes after that.
  std::string Take(std::string_view bytes);
  // Whether everything the head announced has arrived.
  bool IsComplete() const { return head_complete_ && content_length_ >= 0 && received_ >= content_length_ + head_length_; }

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
  // The head as the server sent it.
  const std::string& Head() const { return head_; }
  // Everything collected so far, head included. A page hands it on: to the rewrite once
  // it is whole (kPageReady), to `out` once it is too large to hold (kStream).
  const std::string& Data() const { return data_; }
  // Stops treating the response as a page: what was collected and all that follows is
  // passed on unchanged.
  void TreatAsStream() { page_ = false; }

  // The links of the rewritten page: examined, removed, and the removed share.
  const LinkCounts& Links() const { return links_; }

 private:
  // Finds out from the head and the bytes after it what kind of response this is.
  void AnalyseHead();
  // The matchers and the page pieces a page of this response is rewritten with.
  PageRewriteRules RewriteRules() const;
  // Grows the budget share to `bytes`; marks the response over budget when it cannot.
  bool Charge(size_t bytes);
  // Charges and reserves the memory a page is collected in once its head is known; false
  // when the budget has no room for it.
  bool ReservePage();

  const CWordFilter* black_;
  const CWordFilter* white_;
  CPageAssets* assets_;
  SetupRecord& setup_;
  CBudgetShare* budget_;

  bool over_budget_ = false;
  bool suppress_pictures_ = false;
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
  LinkCounts links_;
};

// A page that sends the browser on to `url` at once, with the status text `status`.
std::string BuildTipPage(std::string_view status, std::string_view url);
