#include "rules/user_domain_list.h"

#include <gtest/gtest.h>

#include "memory_file_system.h"
#include "platform/code_page.h"
#include "recording_url_cache.h"

namespace {

class UserDomainListTest : public ::testing::Test {
 protected:
  MemoryFileSystem files_;
  RecordingUrlCache cache_;
  ScopedSeam<FileSystem> files_seam_{files_};
  ScopedSeam<UrlCache> cache_seam_{cache_};
  CUserDomainList list_{"Data\\UserBlackDomain.kezo", true, 50, 5};
};

TEST_F(UserDomainListTest, TypedAddressesAreReducedToTheSiteName) {
  struct Case {
    std::u16string typed;
    std::u16string stored;  // empty: refused
  } cases[] = {
      {u"http://www.Example.COM/path/page.html?q=1", u"example.com"},
      {u"https://www.secure.example/x", u"secure.example"},
      {u"HTTP://Upper.example", u"upper.example"},
      {u"  exa mple.org  ", u"example.org"},
      {u"www.short.cn/", u"short.cn"},
      {u"sub.site.net:8080/", u"sub.site.net:8080"},
      {u"nodot", u""},
      {u"a.b", u""},                 // too short
      {u"https://", u""},            // nothing left
      {u"news.example.org/?go=http://x.y", u"news.example.org"},
  };
  for (const Case& c : cases) {
    bool added = list_.Add(c.typed, false);
    EXPECT_EQ(added, !c.stored.empty()) << WideToUtf8(c.typed);
    if (added) {
      EXPECT_GE(list_.Find(c.stored), 0) << WideToUtf8(c.typed);
    }
  }
  EXPECT_TRUE(std::is_sorted(list_.Entries()->begin(), list_.Entries()->end()));
}

TEST_F(UserDomainListTest, TheAddressAsTypedIsDroppedFromTheBrowserCacheFirst) {
  list_.Add(u"http://www.Example.com/a", true);
  list_.Add(std::string_view("nodot"), true);
  EXPECT_EQ(cache_.Removed(), (std::vector<std::u16string>{u"http://www.Example.com/a", u"nodot"}));
}

TEST_F(UserDomainListTest, TheNarrowFormNormalisesToo) {
  EXPECT_TRUE(list_.Add(std::string_view("WWW.Narrow.example"), false));
  EXPECT_TRUE(list_.Contains("narrow.example"));
  EXPECT_FALSE(list_.Add(std::string_view("narrow.example"), false)) << "already present";
}

}  // namespace
