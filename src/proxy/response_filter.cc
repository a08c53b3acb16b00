// How the proxy passes a filtered request's response back to the browser.
#include "proxy/local_proxy.h"

void CLocalProxy::FilterResponse(CProxyConnection& connection) { Relay(connection.upstream, connection.client); }
