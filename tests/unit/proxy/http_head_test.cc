#include "proxy/http_head.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpHeadTest, FieldsAreFoundWhateverTheCaseOfTheirNamesAndLoseTheirWhiteSpace) {
  const std::string head =
      "HTTP/1.1 200\r\ncontent-length:  12 \r\nCONTENT-ENCODING:gzip\r\nX: a: b\r\nno colon\r\n\r\nContent-Type: body";
  EXPECT_EQ(FindHeaderField(head, "Content-Length"), "12");
  EXPECT_EQ(FindHeaderField(head, "content-encoding"), "gzip");
  EXPECT_EQ(FindHeaderField(head, "x"), "a: b");
  EXPECT_EQ(FindHeaderField(head, "Content-Type"), std::nullopt) << "the body is not the head";
  EXPECT_EQ(FindHeaderField("HTTP/1.1 200\r\nContent-Length: 1\r\n", "Content"), std::nullopt);
  EXPECT_EQ(FindHeaderField("content-length: 5\r\n\r\n", "Content-Length"), std::nullopt) << "the first line is no field";
}

TEST(HttpHeadTest, AFieldIsSetInPlaceWhateverTheCaseOfItsName) {
  std::string head = "HTTP/1.1 200 OK\r\ncontent-length: 9\r\nX: y\r\nCONTENT-LENGTH: 9\r\n\r\n";
  SetHeaderField(head, "Content-Length", "42");
  EXPECT_EQ(head, "HTTP/1.1 200 OK\r\nContent-Length: 42\r\nX: y\r\n\r\n");
  std::string absent = "HTTP/1.1 200 OK\r\nX: y\r\n\r\nContent-Length: 1\r\n";
  SetHeaderField(absent, "Content-Length", "42");
  EXPECT_EQ(absent, "HTTP/1.1 200 OK\r\nX: y\r\n\r\nContent-Length: 1\r\n") << "nothing added, the body untouched";

  struct Case {
    std::string line;
    int status;
  } cases[] = {{"HTTP/1.1 200 OK\r\n", 200}, {"HTTP/1.1 200\r\n", 200}, {"HTTP/1.0 404 Not Found\r\n", 404},
               {"HTTP/1.1 200", 200},        {"HTTP/1.1 2000\r\n", 0},   {"HTTP/2 200\r\n", 0},
               {"HTTP/1.1  200\r\n", 0},    {"xHTTP/1.1 200\r\n", 0}};
  for (const Case& c : cases) EXPECT_EQ(StatusCodeOf(c.line), c.status) << c.line;
}

TEST(HttpHeadTest, TokensAndLengths) {
  EXPECT_TRUE(HasToken("gzip, Chunked", "chunked"));
  EXPECT_TRUE(HasToken("keep-alive;x=1", "keep-alive"));
  EXPECT_FALSE(HasToken("notchunked", "chunked"));
  struct Case {
    std::string value;
    std::optional<size_t> length;
  } cases[] = {{"0", 0},        {" 42 ", 42},    {"7, 7", 7},          {"7, 8", std::nullopt}, {"-1", std::nullopt},
               {"1e3", std::nullopt}, {"", std::nullopt}, {"1001", std::nullopt}, {"99999999999999999999", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(ParseContentLength(c.value, 1000), c.length) << c.value;
}

TEST(HttpHeadTest, RequestHeadsAreTakenApartOnce) {
  std::optional<RequestHead> head =
      ParseRequestHead("POST http://a.test/x?q= HTTP/1.1 HTTP/1.1\r\nHost: a.test\r\ntransfer-encoding: chunked\r\n\r\n");
  ASSERT_TRUE(head);
  EXPECT_EQ(head->method, "POST");
  EXPECT_EQ(head->target, "http://a.test/x?q= HTTP/1.1");
  EXPECT_EQ(head->minor_version, '1');
  ASSERT_EQ(head->fields.size(), 2u);
  EXPECT_EQ(head->fields[1].name, "transfer-encoding");
  EXPECT_EQ(BodyOf(*head, 100).framing, RequestBody::kChunked);

  for (std::string bad : {"", "GET\r\n\r\n", "GET  HTTP/1.1\r\n\r\n", " / HTTP/1.1\r\n\r\n", "GET / HTTZ/1.1\r\n\r\n",
                          "GET / HTTP/1.\r\n\r\n"}) {
    EXPECT_FALSE(ParseRequestHead(bad)) << bad;
  }
  std::optional<RequestHead> cut = ParseRequestHead("GET http://a.test/ HTTP/1.0\r\nHost: a.te");
  ASSERT_TRUE(cut) << "a head cut short is taken as far as it came";
  EXPECT_EQ(cut->Field("host"), "a.te");
}

TEST(HttpHeadTest, TheBodyFramingOfARequest) {
  auto framing = [](const std::string& fields) {
    RequestBody body = BodyOf(*ParseRequestHead("POST / HTTP/1.1\r\n" + fields + "\r\n"), 1000);
    return std::pair(body.framing, body.length);
  };
  EXPECT_EQ(framing(""), std::pair(RequestBody::kNone, size_t{0}));
  EXPECT_EQ(framing("content-length: 12\r\n"), std::pair(RequestBody::kLength, size_t{12}));
  EXPECT_EQ(framing("Content-Length: 0\r\n"), std::pair(RequestBody::kNone, size_t{0}));
  EXPECT_EQ(framing("Content-Length: 3\r\ncontent-length: 3\r\n"), std::pair(RequestBody::kLength, size_t{3}));
  EXPECT_EQ(framing("Content-Length: 3\r\nContent-Length: 4\r\n").first, RequestBody::kInvalid);
  EXPECT_EQ(framing("Content-Length: x\r\n").first, RequestBody::kInvalid);
  EXPECT_EQ(framing("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n").first, RequestBody::kChunked);
  EXPECT_EQ(framing("Transfer-Encoding: gzip\r\n").first, RequestBody::kInvalid);
}

TEST(HttpHeadTest, TheEndOfAChunkedBodyIsFoundHoweverItIsSplit) {
  const std::string body = "5;ext=1\r\nhello\r\nA\r\n0123456789\r\n0\r\nTrailer: x\r\n\r\n";
  for (size_t piece : {size_t{1}, size_t{3}, body.size()}) {
    CChunkedBodyEnd end;
    size_t taken = 0;
    for (size_t at = 0; at < body.size(); at += piece) taken += end.Take(std::string_view(body).substr(at, piece));
    EXPECT_TRUE(end.Done()) << piece;
    EXPECT_EQ(taken, body.size());
  }
  CChunkedBodyEnd followed;
  EXPECT_EQ(followed.Take("0\r\n\r\nGET /next HTTP/1.1\r\n"), 5u) << "bytes after the body are not its own";
  EXPECT_TRUE(followed.Done());
  for (std::string bad : {"x\r\n", "\r\n", "5\r\nhelloX", "1234567890123456\r\n"}) {
    CChunkedBodyEnd end;
    end.Take(bad);
    EXPECT_TRUE(end.Failed()) << bad;
  }
}

}  // namespace
