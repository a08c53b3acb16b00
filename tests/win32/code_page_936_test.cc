#include <windows.h>

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "rules/text_list.h"
#include "temp_folder.h"

namespace {

// The program's target systems run with the Chinese ANSI code page; the test runs under a
// Chinese locale so that the real conversions of that code page are exercised.
TEST(CodePage936Test, TheSystemCodePageIsGbk) {
  ASSERT_EQ(GetACP(), 936u) << "run the Windows tests with LANG=zh_CN.UTF-8 (locale generated)";
  EXPECT_EQ(LocalToWide("\xC4\xE3\xBA\xC3"), u"你好");
  EXPECT_EQ(WideToLocal(u"你好"), "\xC4\xE3\xBA\xC3");
}

TEST(CodePage936Test, ListsRoundTripChineseEntriesThroughRealFiles) {
  ScopedTempWorkingFolder folder;
  CMyList words("Data\\UserWord.kezo", true, 12, 2);
  ASSERT_TRUE(words.Add(u"色情", true));
  ASSERT_TRUE(words.Add(std::string_view("\xC4\xE3\xBA\xC3"), true));

  CMyList reread("Data\\UserWord.kezo", true, 12, 2);
  reread.Load(true);
  EXPECT_EQ(*reread.Entries(), (CMyList::Items{u"你好", u"色情"}));
  EXPECT_TRUE(reread.Contains("\xC9\xAB\xC7\xE9"));
}

}  // namespace
