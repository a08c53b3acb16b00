// The decoders a page body goes through: chunked transfer coding and gzip.
//
// Input: one byte choosing the decoders (1: de-chunk, 2: inflate, 3: both in the proxy's
// order), then the body.
#include "fuzz_environment.h"
#include "fuzz_support.h"
#include "proxy/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  const uint8_t choice = data[0];
  std::string body(AsText(data + 1, size - 1));

  CHttpResponse response(nullptr, nullptr, nullptr, environment.setup);
  response.SetBody(body);
  if (choice & 1) {
    response.DecodeChunked();
    FUZZ_CHECK(response.Body().size() <= body.size());
  }
  if (choice & 2) {
    std::string before = response.Body();
    bool inflated = response.Gunzip();
    if (!inflated) FUZZ_CHECK(response.Body() == before);
    FUZZ_CHECK(response.Body().size() <= CHttpResponse::kInflateRatio * before.size());
    FUZZ_CHECK(response.Body().find('\0') == std::string::npos || !inflated);
  }
  return 0;
}
