#include "rules/host_set.h"

#include <gtest/gtest.h>

#include <string>

#include "data_files.h"
#include "memory_file_system.h"
#include "platform/code_page.h"
#include "rules/data_file.h"

namespace {

class HostSetTest : public ::testing::Test {
 protected:
  MemoryFileSystem files_;
  ScopedSeam<FileSystem> seam_{files_};
};

TEST_F(HostSetTest, HoldsEachLineAsAWholeNameInTheFormTheProxyCompares) {
  std::string body = "black.test\r\nSHOUTING.Test\n\ntrailing.test.\rdup.test\r\ndup.test\r\nhentai\r\n";
  CMyFile file("Data\\blackdomain.kezo", true);
  file.SetHasBom(true);
  file.Write(body);
  CHostSet::Ptr set = CHostSet::Load(list_files::kBlackDomain);

  EXPECT_EQ(set->Count(), 5u) << "the duplicate once, no empty line";
  struct Case {
    std::string host;
    bool held;
  } cases[] = {
      {"black.test", true},      {"shouting.test", true},  {"trailing.test", true}, {"dup.test", true},
      {"hentai", true},          {"black.tes", false},     {"lack.test", false},    {"www.black.test", false},
      {"black.test.", false},    {"BLACK.test", false},    {"", false},             {std::string("black.test\0x", 12), false},
      {"trailing.test.", false}, {"hentai.test", false},
  };
  for (const Case& c : cases) EXPECT_EQ(set->Contains(c.host), c.held) << c.host;
  EXPECT_EQ(set->DotlessEntries(), std::vector<std::u16string>{u"hentai"});
}

TEST_F(HostSetTest, ReadsLocalCodePageEntriesAsUtf8AndAMissingFileAsEmpty) {
  EXPECT_EQ(CHostSet::Load(list_files::kBlackDomain)->Count(), 0u);
  EXPECT_FALSE(CHostSet::Load(list_files::kBlackDomain)->Contains("black.test"));

  WriteListFile("Data\\blackdomain.kezo", {"色情.test", "plain.test"}, true);  // GBK, no mark
  CHostSet::Ptr set = CHostSet::Load(list_files::kBlackDomain);
  EXPECT_TRUE(set->Contains("色情.test"));
  EXPECT_TRUE(set->Contains("plain.test"));
}

TEST_F(HostSetTest, FindsEveryEntryOfALargeListAndNothingElse) {
  auto name = [](int i) { return "site" + std::to_string(i * 7919 % 1000003) + ".example"; };
  std::string text;
  constexpr int kEntries = 200000;
  for (int i = 0; i < kEntries; ++i) text += name(i) + "\n";
  CHostSet set(text);
  ASSERT_EQ(set.Count(), static_cast<size_t>(kEntries));
  int missing = 0, extra = 0;
  for (int i = 0; i < kEntries; ++i) {
    missing += !set.Contains(name(i));
    extra += set.Contains(name(i) + "x") + set.Contains("x" + name(i));
  }
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(extra, 0);
}

}  // namespace
