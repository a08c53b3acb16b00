// A request to the control server, taken apart as the server does before it runs a
// command or serves a file.
#include "fuzz_support.h"
#include "proxy/control_server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view received = AsText(data, size);
  CLocalHttpServer::Request request = CLocalHttpServer::ParseRequest(received);
  FUZZ_CHECK(request.path.empty() || request.path[0] == '/');
  FUZZ_CHECK(request.path.size() <= received.size());
  FUZZ_CHECK(request.extension.empty() || request.extension[0] == '.');
  FUZZ_CHECK(request.extension.size() <= request.path.size());
  for (char c : request.extension) FUZZ_CHECK(c < 'A' || c > 'Z');
  if (request.has_value) FUZZ_CHECK(!request.value.empty());
  FUZZ_CHECK(!CLocalHttpServer::ContentType(request.extension).empty());
  return 0;
}
