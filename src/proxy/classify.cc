// How the proxy judges a request before anything is fetched.
#include "proxy/local_proxy.h"

RequestVerdict CLocalProxy::Classify(CProxyConnection& connection, std::string_view, std::string_view,
                                     const UrlParts& parts) {
  connection.host = std::string(parts.host);
  return RequestVerdict::kPassFiltered;
}
