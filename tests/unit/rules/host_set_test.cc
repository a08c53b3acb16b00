#include "rules/host_set.h"
#include "rules/host_list_form.h"

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

namespace {

class HostListFormTest : public HostSetTest {
 protected:
  std::string Stored(const std::string& path, bool scrambled) {
    return CMyFile::ReadUtf8Body(path, scrambled).value_or("(unreadable)");
  }
};

TEST_F(HostListFormTest, NamesOfOtherScriptsAreStoredInTheAsciiFormThatRequestsMatch) {
  // 例子.测试, Bücher.DE. and a name whose label no form can hold; the ASCII lines stay as they are.
  std::string body = "plain.test\r\n\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95\r\nB\xC3\xBC" "cher.DE.\n"
                     "\xE4\xBE\x8B.\xFF\r\nhentai\r\n";
  CMyFile file("Data\\blackdomain.kezo", true);
  file.SetHasBom(true);
  file.Write(body);
  EXPECT_TRUE(StoreHostsInAsciiForm(list_files::kBlackDomain));
  EXPECT_EQ(Stored("Data\\blackdomain.kezo", true),
            "plain.test\r\nxn--fsqu00a.xn--0zwm56d\r\nxn--bcher-kva.de\r\nhentai\r\n");
  CHostSet::Ptr set = CHostSet::Load(list_files::kBlackDomain);
  EXPECT_TRUE(set->Contains("xn--fsqu00a.xn--0zwm56d"));
  EXPECT_TRUE(set->Contains("xn--bcher-kva.de"));
  EXPECT_EQ(set->Count(), 4u);

  EXPECT_FALSE(StoreHostsInAsciiForm(list_files::kBlackDomain)) << "now ASCII: left untouched";
  EXPECT_FALSE(StoreHostsInAsciiForm(list_files::kWhiteDomain)) << "a missing file stays missing";
  EXPECT_FALSE(files_.Exists("Data\\whitedomain.kezo"));
}

TEST_F(HostListFormTest, AListInTheLocalCodePageIsReadAsSuch) {
  WriteListFile("Data\\whitedomain.kezo", {"\xE4\xBE\x8B\xE5\xAD\x90.\xE4\xB8\xAD\xE5\x9B\xBD", "gov.test"}, true);
  EXPECT_TRUE(StoreHostsInAsciiForm(list_files::kWhiteDomain));
  EXPECT_EQ(Stored("Data\\whitedomain.kezo", true), "xn--fsqu00a.xn--fiqs8s\r\ngov.test\r\n");  // 例子.中国
}

}  // namespace
