#include "dist_file.h"

#include <gtest/gtest.h>

#include "memory_file_system.h"
#include "rules/text_list.h"

namespace {

const std::string kMark = "\xEF\xBB\xBF";

std::string Built(DistForm form, std::string_view source) {
  DistBuild built = BuildDistFile(form, source);
  EXPECT_TRUE(built.ok) << built.error;
  return built.bytes;
}

TEST(DistFileTest, ListFormsDropCommentsAndWriteCrLfInTheirEncoding) {
  const std::string source = "# comment\n\nb\r\n中文\na";  // mixed line ends, no end at the last
  const std::string utf8_body = "b\r\n\xE4\xB8\xAD\xE6\x96\x87\r\na\r\n";

  EXPECT_EQ(Built(DistForm::kList, source), kMark + utf8_body);
  EXPECT_EQ(Built(DistForm::kLocalLines, source), "b\r\n\xD6\xD0\xCE\xC4\r\na\r\n") << "GBK, no mark";
  EXPECT_EQ(Built(DistForm::kList, "# nothing but a comment\n"), kMark) << "an empty list is the mark alone";

  std::string scrambled_body = utf8_body;
  CMyFile::Scramble(scrambled_body);
  EXPECT_EQ(Built(DistForm::kScrambledList, kMark + source), kMark + scrambled_body)
      << "a mark in the source is dropped; the output's mark is never scrambled";
}

TEST(DistFileTest, ScrambledListReadsBackThroughTheProgramsList) {
  MemoryFileSystem files;
  ScopedSeam<FileSystem> seam(files);
  files.Put("Data\\w.kezo", Built(DistForm::kScrambledList, "色情\nporn\nsex video\n"));

  CMyList list("Data\\w.kezo", true, 12, 1);
  list.Load(false);
  EXPECT_TRUE(list.HasBom());
  EXPECT_EQ(*list.Entries(), (CMyList::Items{u"色情", u"porn", u"sex video"}));
  EXPECT_EQ(DistListEntries("# c\n色情\nporn\nsex video\n"),
            (std::vector<std::u16string>{u"色情", u"porn", u"sex video"}));
}

TEST(DistFileTest, TextFormsKeepTheTextWithCrLf) {
  EXPECT_EQ(Built(DistForm::kLocalText, "<b>宋体</b>\n"), "<b>\xCB\xCE\xCC\xE5</b>\r\n");
  const std::string utf16 = {'\xFF', '\xFE', 'A', '\0', '\r', '\0', '\n', '\0', '\x2D', '\x4E'};
  EXPECT_EQ(Built(DistForm::kUtf16Text, "A\n中"), utf16);

  EXPECT_EQ(Built(DistForm::kAsciiHtml, "<p title=\"屏蔽\">中 😀</p>\n"),
            "<p title=\"&#x5C4F;&#x853D;\">&#x4E2D; &#x1F600;</p>\r\n");
  EXPECT_EQ(Built(DistForm::kAsciiHtml, "<SCRIPT>a('中');</SCRIPT><style>b{font-family:'宋'}</style>中"),
            "<SCRIPT>a('\\u4E2D');</SCRIPT><style>b{font-family:'\\5B8B '}</style>&#x4E2D;")
      << "each context gets the escape it reads back";
  EXPECT_EQ(Built(DistForm::kAsciiScript, "a('<style>中');\n"), "a('<style>\\u4E2D');\r\n")
      << "a script file is script throughout";
  EXPECT_EQ(Built(DistForm::kAsciiStyle, "b{font-family:'<script>宋'}"), "b{font-family:'<script>\\5B8B '}");
}

TEST(DistFileTest, HttpPageCarriesTheLengthOfItsBody) {
  std::string reply = Built(DistForm::kHttpPage, "<p>拦截</p>\n");
  const std::string body = "<p>&#x62E6;&#x622A;</p>\r\n";
  EXPECT_EQ(reply, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                       std::to_string(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body);
}

TEST(DistFileTest, FaultsNameTheLine) {
  struct Case {
    DistForm form;
    std::string source;
    std::string error;
  } cases[] = {
      {DistForm::kScrambledList, "a\n b\n", "line 2: has a space or tab at an end"},
      {DistForm::kList, "a\nb\t\n", "line 2: has a space or tab at an end"},
      {DistForm::kScrambledList, "a\n#\nb\na\n", "line 4: repeats line 1"},
      {DistForm::kLocalLines, "ok\n한국어\n", "line 2: holds a character that the local code page (GBK) cannot hold"},
      {DistForm::kLocalText, "\xF0\x9F\x98\x80\n",
       "line 1: holds a character that the local code page (GBK) cannot hold"},
      {DistForm::kAsciiHtml, "ok\n\xC3\x28\n", "line 2: is not valid UTF-8"},
      {DistForm::kHttpPage, std::string("a\0b", 3), "line 1: holds a zero byte"},
  };
  for (const Case& c : cases) {
    DistBuild built = BuildDistFile(c.form, c.source);
    EXPECT_FALSE(built.ok) << c.source;
    EXPECT_EQ(built.error, c.error) << c.source;
  }
}

TEST(DistFileTest, ManifestNamesSourceTargetAndForm) {
  DistManifest manifest = ParseDistManifest(
      "# comment\n"
      "lists/a.txt  Data/a.kezo   scrambled-list\n"
      "\n"
      "pages/404.html www/404.htm http-page\n"
      "lists/b.txt Data/a.kezo list\n"
      "lists/c.txt Data/c.txt\n"
      "lists/d.txt Data/d.txt gzip\n");
  ASSERT_EQ(manifest.entries.size(), 2u);
  EXPECT_EQ(manifest.entries[0].source, "lists/a.txt");
  EXPECT_EQ(manifest.entries[0].target, "Data/a.kezo");
  EXPECT_EQ(manifest.entries[0].form, DistForm::kScrambledList);
  EXPECT_EQ(manifest.entries[1].form, DistForm::kHttpPage);
  EXPECT_EQ(manifest.errors, (std::vector<std::string>{"line 5: names the target of line 2",
                                                       "line 6: needs three fields: source target form",
                                                       "line 7: unknown form \"gzip\""}));
}

}  // namespace
