#pragma once

// The toolbar's commands as the user's browser sends them to the control server.
#include <string>

#include "test_origin.h"

// A stand-in for www\ConfirmCommand.html with every placeholder of the shipped page.
inline const std::string kConfirmPageTemplate =
    "KEZO_COMMAND|KEZO_SITE|KEZO_ACTION|<input type=\"hidden\" name=\"key\" value=\"KEZO_KEY\">";

// The key that the control server's confirmation page for `target` carries, read as the
// page's own form reads it; empty when the reply is no confirmation page.
inline std::string CommandKey(uint16_t port, const std::string& target) {
  TestClient client(port);
  client.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  std::string page = client.ReadToEnd();
  const std::string marker = "name=\"key\" value=\"";
  size_t at = page.find(marker);
  if (at == std::string::npos) return {};
  at += marker.size();
  return page.substr(at, page.find('"', at) - at);
}

// What the confirmation page's button posts for `target`, from the server's own origin;
// returns the reply.
inline std::string PostCommand(uint16_t port, const std::string& target, const std::string& body,
                               const std::string& head_lines) {
  TestClient client(port);
  client.Send("POST " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + head_lines +
              "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) +
              "\r\n\r\n");
  client.Send(body);  // a second write, as a browser may send it
  return client.ReadToEnd();
}

inline std::string SameOriginLines(uint16_t port) {
  std::string origin = "http://127.0.0.1:" + std::to_string(port);
  return "Origin: " + origin + "\r\nReferer: " + origin + "/x.white?url=x\r\nSec-Fetch-Site: same-origin\r\n";
}

// The command confirmed by the user: the confirmation page's key posted back.
inline std::string ConfirmCommand(uint16_t port, const std::string& target) {
  return PostCommand(port, target, "key=" + CommandKey(port, target), SameOriginLines(port));
}
