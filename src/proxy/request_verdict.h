#pragma once

// What the proxy does with a request once it has been judged.
enum class RequestVerdict {
  kDrop,          // close the connection without a reply
  kBlockPage,     // the block page has been sent; close the connection
  kBlankImage,    // the blank image has been sent; close the connection
  kPassWhite,     // forward as HTTP/1.1 and relay the response untouched
  kPassFiltered,  // forward as HTTP/1.0 asking for gzip at most, and filter the response
};
