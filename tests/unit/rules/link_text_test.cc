#include "rules/link_text.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace {

TEST(LinkTextTest, TakesImageTextsThenTheLinkTextWithoutMarkup) {
  struct Case {
    std::u16string anchor, text;
  } cases[] = {
      {u"<a href=\"/x\">plain</a>", u"plain"},
      {u"<a href=\"/x\"><b>bold</b> text</a>", u"bold text"},
      {u"<a href=\"/x\"><img src=\"p.png\" alt=\"ALT\" title=\"TITLE\"> caption</a>", u"ALTTITLE caption"},
      {u"<a href=\"/x\"><img src=\"p.png\" title=\"only title\"></a>", u"only title"},
      {u"<a href=\"/x\">line\r\none\tand\ttabs</a>", u"lineoneandtabs"},
      {u"<a href=\"/x\">a < b and more</a>", u"a < b and more"},  // a "<" without ">" stays
      {u"<a href=\"/x\">x<br>y<span>z</span></a>", u"xyz"},
      {u"<a href=\"/x\">色情<i>图片</i></a>", u"色情图片"},
      {u"<a href=\"/x\"></a>", u""},
      {u"<a href=\"/x\"/a>", u""},       // "/a>" right after ">"
      {u"<a href=\"/x\" no end", u""},   // no ">"
      {u"<a href=\"/x\">no close", u""}, // no "/a>"
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(LinkText(c.anchor), c.text) << WideToUtf8(c.anchor);
}

TEST(LinkTextTest, MarkupRemovalStopsAfterTenThousandTagsAndStaysLinear) {
  std::u16string inner;
  for (int i = 0; i < 10001; ++i) inner += u"<b>";
  inner += u"tail";
  std::u16string anchor = u"<a href=\"/x\">" + inner + u"</a>";
  EXPECT_EQ(LinkText(anchor), u"<b>tail");

  std::u16string huge(2'000'000, u'x');  // one enormous link must not take quadratic time
  EXPECT_EQ(LinkText(u"<a href=\"/x\">" + huge + u"</a>").size(), huge.size());
}

}  // namespace
