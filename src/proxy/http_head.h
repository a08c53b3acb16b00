#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The head of an HTTP message taken apart as HTTP defines it: field names are compared
// without regard to case and values lose the white space around them. Both the request
// that a browser sends and the response that a web server sends are read through these
// functions, so that no field is found in one spelling and missed in another.
// Stateless and thread-safe.

struct HeaderField {
  std::string name;   // as it was written
  std::string value;  // without the white space around it
};

// The value of the first field called `name` (any case) among the lines of `head` after
// its first line, up to the blank line; nullopt when there is none.
std::optional<std::string_view> FindHeaderField(std::string_view head, std::string_view name);

// Whether the comma-separated field value holds `token` (any case), as "gzip, chunked"
// holds "chunked".
bool HasToken(std::string_view value, std::string_view token);

// Gives the first field called `name` (any case) the value `value`, keeping its line where
// it stands and dropping further fields of that name. Nothing happens without one.
void SetHeaderField(std::string& head, std::string_view name, std::string_view value);

// The length of the head at the start of `data`, up to and including its blank line, or
// npos while no blank line has arrived. A line may end in CR LF or, as browsers also read
// it, in a bare LF. Only a blank line that ends at or after `search_from` is looked for,
// so that a head arriving in pieces is searched once.
size_t HeadLength(std::string_view data, size_t search_from = 0);

// `head` with every line ended by CR LF, as a head the proxy writes itself must be.
std::string WithCrLfLineEnds(std::string_view head);

// The status code of a response head's status line ("HTTP/1.x NNN", with or without a
// reason phrase); 0 when the line is not one.
int StatusCodeOf(std::string_view head);

// The length a Content-Length value gives: nullopt when it is not a plain decimal number
// (a list of equal numbers counts as the number) or is larger than `limit`.
std::optional<size_t> ParseContentLength(std::string_view value, size_t limit);

// A request head as the proxy reads it. The request line is "METHOD SP target SP
// HTTP/1.x"; the target is everything between the first space and the last " HTTP/1."
// of the line.
struct RequestHead {
  std::string method;
  std::string target;
  char minor_version = '0';  // the x of HTTP/1.x
  std::vector<HeaderField> fields;

  // The value of the first field called `name` (any case); nullopt when there is none.
  std::optional<std::string_view> Field(std::string_view name) const;
  bool IsConnect() const { return method == "CONNECT"; }
};

// How a request's body is delimited.
struct RequestBody {
  enum Framing {
    kNone,     // no body: nothing follows the head
    kLength,   // `length` bytes follow the head
    kChunked,  // chunks follow the head, up to the last chunk and its trailer
    kInvalid,  // the head announces a body no one can delimit safely: refuse the request
  };
  Framing framing = kNone;
  size_t length = 0;
};

// Parses `head`, the bytes up to and including the blank line (a head cut short is parsed
// as far as it goes). Nullopt when the request line has no method, no target or no
// " HTTP/1." version. Field lines without a colon, or holding a CR or NUL, are dropped.
std::optional<RequestHead> ParseRequestHead(std::string_view head);

// The body framing of a parsed request: Transfer-Encoding chunked wins over a length; a
// length that is not a number, larger than `limit` or given twice with different values
// is kInvalid.
RequestBody BodyOf(const RequestHead& head, size_t limit);

// Follows a chunked body as it passes, without keeping it, to tell where it ends.
class CChunkedBodyEnd {
 public:
  // Looks at the next bytes of the body. Returns how many of them belong to the body (all
  // of them until the end is reached); Done() or Failed() tell what was found.
  size_t Take(std::string_view bytes);
  bool Done() const { return state_ == kDone; }
  bool Failed() const { return state_ == kFailed; }

 private:
  enum State { kSize, kSizeExtension, kSizeLineEnd, kData, kDataEnd, kDataLineEnd, kTrailer, kTrailerLine, kTrailerEnd, kDone, kFailed };
  State state_ = kSize;
  size_t remaining_ = 0;
  int size_digits_ = 0;
};
