#pragma once

// Pages and replies that the filtering tests serve and expect.
#include <string>

// The block page the tests ship as www\404.htm: a whole reply, as the proxy sends it.
inline const std::string kBlockPage = "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nblocked";

// A page with `links` anchors of which the first `banned` carry the banned word "porn".
inline std::string LinkPage(int links, int banned) {
  std::string body = "<html><head></head><body>";
  for (int i = 0; i < links; ++i) body += "<a href=\"/" + std::to_string(i) + "\">" + (i < banned ? "porn" : "news") + "</a>";
  return body + "</body></html>";
}

// An HTML reply with `body` and its length.
inline std::string PageReply(const std::string& body, const std::string& extra_head = "") {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n" + extra_head + "Content-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}
