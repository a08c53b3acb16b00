// The decoders a page body goes through: chunked transfer coding and gzip.
//
// Input: one byte choosing the decoders (1: de-chunk, 2: inflate, 3: both in the proxy's
// order), then the body.
#include "fuzz_support.h"
#include "proxy/memory_budget.h"
#include "proxy/page_rewrite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t choice = data[0];
  const std::string body(AsText(data + 1, size - 1));

  std::string decoded = body;
  if (choice & 1) {
    DecodeChunkedInPlace(decoded);
    FUZZ_CHECK(decoded.size() <= body.size());
  }
  if (choice & 2) {
    const std::string before = decoded;
    // A small budget, so that running out of room is reached as well.
    CMemoryBudget budget(64 * 1024);
    Inflation result;
    {
      CBudgetShare share(budget);
      result = Gunzip(decoded, &share);
    }
    FUZZ_CHECK(budget.Used() == 0);
    if (result != Inflation::kInflated) FUZZ_CHECK(decoded == before);
    FUZZ_CHECK(decoded.size() <= kInflateRatio * before.size());
    FUZZ_CHECK(decoded.find('\0') == std::string::npos || result != Inflation::kInflated);
  }
  return 0;
}
