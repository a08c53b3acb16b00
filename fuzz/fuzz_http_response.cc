// A web server's response to a filtered request, arriving in pieces, through the response
// stage as the connection drives it (Advance for each piece, Finish when the server
// closes): head analysis, streaming of what is not a page, suppressed pictures, and the
// whole rewrite of a page (de-chunking, inflating, link filtering, page pieces, corrected
// length), within a small memory budget.
//
// Input: one byte of choices (piece size, picture and toolbar settings), then the
// response bytes.
#include "fuzz_environment.h"
#include "fuzz_support.h"
#include "proxy/http_head.h"
#include "proxy/http_response.h"
#include "proxy/memory_budget.h"

namespace {

bool ReadsOn(ResponseStep step) {
  return step == ResponseStep::kNeedMore || step == ResponseStep::kForward || step == ResponseStep::kStream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  const uint8_t choices = data[0];
  std::string_view bytes = AsText(data + 1, size - 1);
  const size_t piece = 1 + (choices & 0x1F) * 37;
  environment.setup.NonePicture = (choices >> 5) & 3;
  environment.setup.WebControl = choices >> 7;

  CMemoryBudget budget(256 * 1024);
  std::string passed, out;
  ResponseStep step = ResponseStep::kNeedMore;
  {
    CBudgetShare share(budget);
    CHttpResponse response(environment.black.get(), environment.white.get(), nullptr, environment.setup, &share);
    response.SetSuppressPictures(choices & 2);
    response.SetNoImageScript(choices & 1);
    for (size_t at = 0; at < bytes.size() && ReadsOn(step); at += piece) {
      step = response.Advance(bytes.substr(at, piece), out);
      if (step == ResponseStep::kForward || step == ResponseStep::kStream || step == ResponseStep::kComplete) passed += out;
    }
    if (ReadsOn(step)) {
      step = response.Finish(out);
      if (step == ResponseStep::kComplete) passed += out;
    }
    FUZZ_CHECK(!ReadsOn(step));
    if (!response.HeadComplete()) FUZZ_CHECK(passed.empty() && step == ResponseStep::kAbort);
    if (step == ResponseStep::kBlankImage) FUZZ_CHECK(response.IsBigImage() && (choices & 2));
    if (step == ResponseStep::kAbort) FUZZ_CHECK(response.HeadTooLarge() || response.OverBudget() || !response.HeadComplete());
    if (step == ResponseStep::kComplete) {
      // What is not a page passes byte for byte.
      FUZZ_CHECK(bytes.starts_with(passed));
      FUZZ_CHECK(passed.size() == response.Received());
    }
    if (step == ResponseStep::kPageReady) {
      FUZZ_CHECK(passed.empty());
      const std::string& head = response.Head();
      FUZZ_CHECK(out.starts_with(head.substr(0, head.find('\n'))));  // the status line is kept
      FUZZ_CHECK(response.Links().removed <= response.Links().examined);
      // A page that was rewritten (not passed as it came) has a head of CR LF lines, ended
      // by the first blank line, that states the new length of what came after the head.
      // The page hands its collected bytes on to the rewrite: they are the input's first
      // Received() bytes.
      const std::string_view collected = bytes.substr(0, response.Received());
      if (out != collected) {
        size_t head_end = out.find("\r\n\r\n");
        FUZZ_CHECK(head_end != std::string::npos);
        std::string_view new_head = std::string_view(out).substr(0, head_end + 4);
        std::string_view new_body = std::string_view(out).substr(head_end + 4);
        for (size_t at = new_head.find('\n'); at != std::string_view::npos; at = new_head.find('\n', at + 1)) {
          FUZZ_CHECK(at > 0 && new_head[at - 1] == '\r');
        }
        bool body_came = collected.size() > response.Head().size();
        if (body_came && FindHeaderField(new_head, "Content-Length")) {
          FUZZ_CHECK(FindHeaderField(new_head, "Content-Length") == std::to_string(new_body.size()));
        }
      }
    }
  }
  FUZZ_CHECK(budget.Used() == 0);
  return 0;
}
