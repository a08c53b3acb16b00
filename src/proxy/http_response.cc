#include "proxy/http_response.h"

#include <algorithm>
#include <climits>

#include "config/settings.h"
#include "proxy/http_head.h"
#include "proxy/memory_budget.h"
#include "rules/page_assets.h"

namespace {

constexpr std::string_view kNoImageScript = "<script>kezo_data.no_img='1';kezo_data.do_filter();</script>";

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

CHttpResponse::CHttpResponse(const CWordFilter* black, const CWordFilter* white, CPageAssets* assets,
                             SetupRecord& setup, CBudgetShare* budget)
    : black_(black), white_(white), assets_(assets), setup_(setup), budget_(budget) {}

bool CHttpResponse::Charge(size_t bytes) {
  if (budget_ == nullptr || budget_->GrowTo(bytes)) return true;
  over_budget_ = true;
  return false;
}

bool CHttpResponse::ReservePage() {
  // A page whose length the head gives gets its whole block at once, with room for the
  // pieces and a longer head: collecting it never moves it, and neither does the rewrite.
  size_t whole = data_.size();
  if (content_length_ >= 0 && static_cast<size_t>(content_length_) <= kMaxPageSize) {
    whole = std::max(whole, head_length_ + static_cast<size_t>(content_length_) + kRewriteRoom);
  }
  if (!Charge(whole)) return false;
  data_.reserve(whole);
  return true;
}

std::string CHttpResponse::Take(std::string_view bytes) {
  received_ += bytes.size();
  if (HeadTooLarge()) return {};
  // Only the new bytes can complete the blank line: a head that arrives a byte at a time is
  // searched once, not once per byte.
  const size_t search_from = data_.size();
  if (over_budget_ || (page_ && !Charge(data_.size() + bytes.size()))) return {};
  if (!head_complete_ || page_) data_.append(bytes);
  if (!head_complete_) {
    size_t head_length = HeadLength(data_, search_from);
    if (head_length == std::string::npos) return {};
    head_length_ = head_length;
    head_ = data_.substr(0, head_length_);
    head_complete_ = true;
    AnalyseHead();
    if (page_ && !ReservePage()) return {};
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
      out = std::move(data_);
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
  RewrittenPage page = RewritePage({std::move(data_), head_length_, chunked_}, RewriteRules(), budget_);
  if (page.over_budget) {
    over_budget_ = true;
    return ResponseStep::kAbort;
  }
  links_ = page.links;
  if (links_.removed > 0) setup_.AddFilterCount(links_.removed);
  out = std::move(page.reply);
  return ResponseStep::kPageReady;
}

PageRewriteRules CHttpResponse::RewriteRules() const {
  PageRewriteRules rules{black_, white_, {}};
  if (assets_ != nullptr) {
    rules.pieces.push_back(assets_->GetTipLine());
    if (setup_.WebControl) rules.pieces.push_back(assets_->GetToolbarHtml());
    rules.pieces.push_back(assets_->GetPageScript());
  }
  if (setup_.NonePicture == 2 && no_image_script_) rules.pieces.emplace_back(kNoImageScript);
  return rules;
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
