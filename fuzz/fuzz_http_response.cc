// A web server's response to a filtered request, arriving in pieces: head analysis,
// streaming of what is not a page, and the whole rewrite of a page (de-chunking,
// inflating, link filtering, page pieces, corrected length).
//
// Input: one byte of choices (piece size, picture and toolbar settings), then the
// response bytes.
#include "fuzz_environment.h"
#include "fuzz_support.h"
#include "proxy/http_head.h"
#include "proxy/http_response.h"
#include "proxy/url_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  const uint8_t choices = data[0];
  std::string_view bytes = AsText(data + 1, size - 1);
  const size_t piece = 1 + (choices & 0x1F) * 37;
  environment.setup.NonePicture = (choices >> 5) & 3;
  environment.setup.WebControl = choices >> 7;

  CHttpResponse response(environment.black.get(), environment.white.get(), nullptr, environment.setup);
  std::string passed;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    passed += response.Take(bytes.substr(at, piece));
    if (response.IsComplete()) break;
  }
  if (!response.HeadComplete()) {
    FUZZ_CHECK(passed.empty());
    return 0;
  }
  if (!response.IsPage()) {
    // What is not a page passes byte for byte.
    FUZZ_CHECK(std::string_view(bytes).starts_with(passed));
    FUZZ_CHECK(passed.size() == response.Received());
    return 0;
  }
  FUZZ_CHECK(passed.empty());
  response.SetNoImageScript(choices & 1);
  std::string reply = response.RewritePage();
  FUZZ_CHECK(reply.starts_with(response.Head()));
  FUZZ_CHECK(response.LinksRemoved() <= response.LinksExamined());
  // A page that was rewritten (not passed as it came) states its new length.
  bool rewritten = reply != response.Data();
  if (rewritten && FindHeaderField(response.Head(), "Content-Length")) {
    FUZZ_CHECK(FindHeaderField(response.Head(), "Content-Length") == std::to_string(response.Body().size()));
  }
  return 0;
}
