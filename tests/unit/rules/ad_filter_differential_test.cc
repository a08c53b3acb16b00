// The ad engine against the plain reading of a real ad list, on thousands of addresses.
//
// The list is EasyList as Debian's webext-ublock-origin-firefox package installs it
// (scripts/setup installs the package); KEZO_EASYLIST names another copy. Native only: the
// reference runs std::regex on every rule and takes seconds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ad_address_corpus.h"
#include "memory_file_system.h"
#include "plain_ad_reading.h"
#include "platform/code_page.h"
#include "rules/ad_filter.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Instrumented builds run std::regex several times slower and with larger stack frames.
constexpr size_t kAddresses = 800;
constexpr size_t kUnaidedAddresses = 6;
constexpr size_t kLongMax = 2000;
#else
constexpr size_t kAddresses = 4000;
constexpr size_t kUnaidedAddresses = 40;
constexpr size_t kLongMax = 4300;
#endif

const char* const kListPaths[] = {
    "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/uBlock0@raymondhill.net/assets/"
    "thirdparties/easylist/easylist.txt",
};

std::string FindList(std::string* tried) {
  std::vector<std::string> paths;
  if (const char* chosen = std::getenv("KEZO_EASYLIST")) paths.push_back(chosen);
  paths.insert(paths.end(), std::begin(kListPaths), std::end(kListPaths));
  for (const std::string& path : paths) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      *tried += "\n  " + path;
      continue;
    }
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  return "";
}

class AdFilterDifferentialTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string tried;
    std::string list = FindList(&tried);
    if (list.empty()) {
      missing_ = "The ad list for this test is missing; install Debian's webext-ublock-origin-firefox "
                 "(scripts/setup does) or set KEZO_EASYLIST. Looked at:" + tried;
      return;
    }
    files_ = new MemoryFileSystem;
    files_->Put("Data\\easylistchina.txt", list);
    ScopedSeam<FileSystem> seam(*files_);
    filter_ = new CAdFilter;
    stats_ = filter_->Compile();
    reading_ = new CPlainAdReading(*filter_->Entries());
  }
  static void TearDownTestSuite() {
    delete reading_;
    delete filter_;
    delete files_;
  }
  void SetUp() override {
    if (!missing_.empty()) GTEST_FAIL() << missing_;
  }

  static std::vector<CAdAddressCorpus::Request> Corpus(size_t count) {
    std::vector<std::string> lines;
    for (const std::u16string& entry : *filter_->Entries()) lines.push_back(WideToLocal(entry));
    CAdAddressCorpus::Shape shape;
    shape.count = count;
    shape.long_max = kLongMax;
    return CAdAddressCorpus::Make(lines, shape);
  }

  static inline std::string missing_;
  static inline MemoryFileSystem* files_ = nullptr;
  static inline CAdFilter* filter_ = nullptr;
  static inline CPlainAdReading* reading_ = nullptr;
  static inline CAdRuleSet::Stats stats_;
};

TEST_F(AdFilterDifferentialTest, KeepsExactlyTheRulesThatStdRegexAccepts) {
  EXPECT_GT(stats_.rules, 10000u) << "a real list";
  EXPECT_EQ(stats_.rules, reading_->Rules().size());
  for (const CPlainAdReading::Rule& rule : reading_->Rules()) {
    CRegexProgram program;
    EXPECT_NE(program.Compile(rule.url_pattern), CRegexProgram::Status::kInvalid) << rule.url_pattern;
    EXPECT_NE(program.Compile(rule.site_text), CRegexProgram::Status::kInvalid) << rule.site_text;
  }
}

TEST_F(AdFilterDifferentialTest, GivesTheVerdictsOfThePlainReading) {
  std::vector<CAdAddressCorpus::Request> corpus = Corpus(kAddresses);
  size_t blocked = 0, mismatches = 0, long_ones = 0;
  for (const CAdAddressCorpus::Request& request : corpus) {
    AdVerdict expected = reading_->Verdict(request.address, request.host);
    blocked += expected == AdVerdict::kBlock;
    long_ones += request.address.size() > 1000;
    if (filter_->CheckUncached(request.address, request.host) != expected && ++mismatches <= 10) {
      std::optional<size_t> line = reading_->DecidingLine(request.address, request.host);
      ADD_FAILURE() << "address " << request.address.substr(0, 300) << "\nhost " << request.host
                    << "\nplain reading: " << (expected == AdVerdict::kBlock ? "block" : "allow") << " by line "
                    << (line ? WideToLocal((*filter_->Entries())[*line]) : std::string("(none)"));
    }
  }
  EXPECT_EQ(mismatches, 0u);
  // The corpus must exercise both verdicts and the long addresses.
  EXPECT_GT(blocked, corpus.size() / 10);
  EXPECT_LT(blocked, corpus.size() * 9 / 10);
  EXPECT_GT(long_ones, 0u);
}

TEST_F(AdFilterDifferentialTest, TheReadingsShortcutChangesNoVerdict) {
  std::vector<CAdAddressCorpus::Request> corpus = Corpus(kUnaidedAddresses);
  for (const CAdAddressCorpus::Request& request : corpus) {
    if (request.address.size() > 600) continue;  // every rule on std::regex: short ones only
    AdVerdict unaided = reading_->Verdict(request.address, request.host, false);
    EXPECT_EQ(reading_->Verdict(request.address, request.host), unaided) << request.address;
    EXPECT_EQ(filter_->CheckUncached(request.address, request.host), unaided) << request.address;
  }
}

}  // namespace
