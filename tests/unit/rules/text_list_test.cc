#include "rules/text_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "memory_file_system.h"

namespace {

using Items = CMyList::Items;

class TextListTest : public ::testing::Test {
 protected:
  // The stored text of a plain list.
  std::string Stored(const std::string& path) { return files_.Get(path); }

  MemoryFileSystem files_;
  ScopedSeam<FileSystem> seam_{files_};
};

TEST_F(TextListTest, LoadSplitsAtEveryLineEndAndKeepsWhatIsOnTheLine) {
  files_.Put("Data\\l.txt", "b\r\n\r\na\n\nc\r d\nb");
  CMyList sorted("Data\\l.txt", false, 9999, 1);
  sorted.Load(true);
  EXPECT_EQ(*sorted.Entries(), (Items{u" d", u"a", u"b", u"b", u"c"}));
  EXPECT_EQ(sorted.Find(u"d"), -1) << "the leading space is part of the entry";
  EXPECT_GE(sorted.Find(u" d"), 0);

  CMyList in_file_order("Data\\l.txt", false, 9999, 1);
  in_file_order.Load(false);
  EXPECT_EQ(*in_file_order.Entries(), (Items{u"b", u"a", u"c", u" d", u"b"}));

  CMyList missing("Data\\absent.txt", false, 9999, 1);
  missing.Load(true);
  EXPECT_EQ(missing.Count(), 0u);
  EXPECT_EQ(missing.Find(u"a"), -1);
}

TEST_F(TextListTest, AddTrimsSpacesAppliesTheLimitsAndRefusesDuplicates) {
  struct Case {
    std::u16string text;
    bool added;
    std::u16string stored;
  } cases[] = {
      {u"  Example.COM  ", true, u"Example.COM"},
      {u"\tTab.com", true, u"\tTab.com"},
      {u"abc", false, u""},
      {u"   ab   ", false, u""},
      {u"", false, u""},
      {std::u16string(60, u'x'), true, std::u16string(50, u'x')},
      {std::u16string(u"cut.at.nul\0tail", 15), true, u"cut.at.nul"},
      {u"Example.COM", false, u""},
      {u"example.com", true, u"example.com"},
  };
  CMyList list("Data\\l.txt", false, 50, 5);
  for (const Case& c : cases) {
    int writes_before = files_.Writes();
    EXPECT_EQ(list.Add(c.text, true), c.added);
    if (c.added) {
      EXPECT_GE(list.Find(c.stored), 0);
    }
    EXPECT_EQ(files_.Writes(), writes_before + (c.added ? 1 : 0)) << "saved at once, and only on a change";
  }
  EXPECT_EQ(*list.Entries(), (Items{u"\tTab.com", u"Example.COM", u"cut.at.nul", u"example.com",
                                     std::u16string(50, u'x')}));
}

TEST_F(TextListTest, AddWithoutSortAppendsAndTheNarrowFormConvertsFromTheLocalCodePage) {
  CMyList tips("Data\\tips.txt", false, 9999, 1);
  EXPECT_TRUE(tips.Add(u"zz", false));
  EXPECT_TRUE(tips.Add(std::string_view("\xD6\xD0"), false));  // "中" in GBK
  EXPECT_EQ(*tips.Entries(), (Items{u"zz", u"中"}));
  EXPECT_TRUE(tips.Contains("\xD6\xD0"));
}

TEST_F(TextListTest, SaveWritesEveryLineWithCrLfInTheCharacterSetItWasReadIn) {
  files_.Put("Data\\u.txt", "\xEF\xBB\xBF" "b\n\xE4\xB8\xAD");
  CMyList utf8("Data\\u.txt", false, 9999, 1);
  utf8.Load(true);
  ASSERT_TRUE(utf8.Add(u"a", true));
  EXPECT_EQ(Stored("Data\\u.txt"), "\xEF\xBB\xBF" "a\r\nb\r\n\xE4\xB8\xAD\r\n");

  files_.Put("Data\\g.txt", "b\r\n\xD6\xD0");
  CMyList gbk("Data\\g.txt", false, 9999, 1);
  gbk.Load(true);
  ASSERT_TRUE(gbk.Remove(u"b"));
  EXPECT_EQ(Stored("Data\\g.txt"), "\xD6\xD0\r\n");
  ASSERT_TRUE(gbk.Remove(u"中"));
  EXPECT_EQ(Stored("Data\\g.txt"), "") << "an empty list writes an empty body";

  CMyList scrambled("Data\\s.kezo", true, 9999, 1);
  ASSERT_TRUE(scrambled.Add(u"x", true));
  std::string body = Stored("Data\\s.kezo");
  CMyFile::Scramble(body);
  EXPECT_EQ(body, "x\r\n");
}

TEST_F(TextListTest, RemoveTakesOneCopyAndIgnoresAbsentEntries) {
  files_.Put("Data\\d.txt", "x\r\ny\r\nx\r\n");
  CMyList list("Data\\d.txt", false, 9999, 1);
  list.Load(true);
  int writes = files_.Writes();
  EXPECT_FALSE(list.Remove(u"absent"));
  EXPECT_EQ(files_.Writes(), writes);
  EXPECT_TRUE(list.Remove(u"x"));
  EXPECT_EQ(*list.Entries(), (Items{u"x", u"y"}));
}

TEST_F(TextListTest, BatchChangesApplyEachEntrysRulesAndWriteTheFileOnce) {
  files_.Put("Data\\b.txt", "m.com\r\nz.com\r\n");
  CMyList list("Data\\b.txt", false, 50, 5);
  list.Load(true);
  int writes = files_.Writes();
  std::vector<bool> added = list.AddMany({u"  b.com ", u"ab", u"m.com", u"a.com", u"b.com"}, true);
  EXPECT_EQ(added, (std::vector<bool>{true, false, false, true, false})) << "short, present and repeated texts are refused";
  EXPECT_EQ(*list.Entries(), (Items{u"a.com", u"b.com", u"m.com", u"z.com"}));
  EXPECT_EQ(files_.Writes(), writes + 1);
  EXPECT_EQ(Stored("Data\\b.txt"), "a.com\r\nb.com\r\nm.com\r\nz.com\r\n");

  EXPECT_EQ(list.AddMany({u"a.com", u"x"}, true), (std::vector<bool>{false, false}));
  EXPECT_EQ(files_.Writes(), writes + 1) << "nothing added, nothing written";

  EXPECT_EQ(list.RemoveMany({u"b.com", u"z.com", u"absent.com", u"b.com"}), 2u);
  EXPECT_EQ(*list.Entries(), (Items{u"a.com", u"m.com"}));
  EXPECT_EQ(files_.Writes(), writes + 2);

  EXPECT_TRUE(list.Clear());
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(Stored("Data\\b.txt"), "");
}

TEST_F(TextListTest, ContainsIsAnExactCaseSensitiveWholeEntryMatch) {
  files_.Put("Data\\sites.txt", "example.com\r\n\xD6\xD0\xCE\xC4.cn\r\n");
  CMyList list("Data\\sites.txt", false, 9999, 1);
  list.Load(true);
  EXPECT_TRUE(list.Contains("example.com"));
  EXPECT_TRUE(list.Contains("\xD6\xD0\xCE\xC4.cn"));
  for (const char* other : {"www.example.com", "example.co", "xample.com", "EXAMPLE.com", ""}) {
    EXPECT_FALSE(list.Contains(other)) << other;
  }
}

TEST_F(TextListTest, AFailedSaveKeepsTheOldFileAndTheChangeInMemory) {
  files_.Put("Data\\f.txt", "old.example\r\n");
  CMyList list("Data\\f.txt", false, 9999, 1);
  list.Load(true);
  files_.FailWrites(true);
  EXPECT_TRUE(list.Add(u"new.example", true));
  EXPECT_GE(list.Find(u"new.example"), 0);
  EXPECT_EQ(Stored("Data\\f.txt"), "old.example\r\n");
}

TEST_F(TextListTest, PickRandomDrawsEveryEntryOnceBeforeAnyRepeats) {
  CMyList empty("Data\\none.txt", false, 9999, 1);
  EXPECT_EQ(empty.PickRandom(), u"");

  files_.Put("Data\\tips.txt", "one\r\ntwo\r\nthree\r\n");
  CMyList tips("Data\\tips.txt", false, 9999, 1);
  tips.Load(false);
  for (int round = 0; round < 20; ++round) {
    std::set<std::u16string> drawn;
    for (int i = 0; i < 3; ++i) drawn.insert(tips.PickRandom());
    EXPECT_EQ(drawn, (std::set<std::u16string>{u"one", u"two", u"three"}));
  }
  tips.PickRandom();
  tips.Load(false);  // a reload starts a fresh round
  std::set<std::u16string> drawn;
  for (int i = 0; i < 3; ++i) drawn.insert(tips.PickRandom());
  EXPECT_EQ(drawn.size(), 3u);
}

// Connection threads look entries up while the interface adds, removes and reloads: a
// reader must always see a whole list, never a torn or half-sorted one.
TEST_F(TextListTest, LookupsStayCorrectWhileOtherThreadsChangeAndReloadTheList) {
  std::string content;
  for (int i = 0; i < 500; ++i) content += "site" + std::to_string(1000 + i) + ".example\r\n";
  content += "always.example\r\n";
  files_.Put("Data\\c.txt", content);
  CMyList list("Data\\c.txt", false, 9999, 1);
  list.Load(true);

  std::atomic<bool> stop{false};
  std::atomic<int> failures{0};
  auto reader = [&] {
    while (!stop) {
      if (!list.Contains("always.example")) ++failures;
      auto snapshot = list.Entries();
      if (snapshot->size() < 501 || !std::is_sorted(snapshot->begin(), snapshot->end())) ++failures;
    }
  };
  std::thread readers[] = {std::thread(reader), std::thread(reader)};
  for (int i = 0; i < 300; ++i) {
    std::u16string temp = u"temp" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u".example";
    list.Add(temp, true);
    if (i % 3 == 0) list.Remove(temp);
    if (i % 25 == 0) list.Load(true);
  }
  stop = true;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(failures, 0);
}

}  // namespace
