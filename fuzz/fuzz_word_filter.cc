// The keyword matcher built from a word file from outside (scrambled, as the program keeps
// it) and asked about texts; its answer is compared with a plain substring search over
// the same words.
//
// Input: the word file's bytes before scrambling, the separator line "--", texts one per
// line in the local code page.
#include "fuzz_environment.h"
#include "fuzz_support.h"
#include "platform/code_page.h"
#include "rules/keyword_set.h"
#include "rules/list_files.h"
#include "rules/text_list.h"

namespace {

bool PlainMatch(const std::vector<std::u16string>& words, std::u16string_view text) {
  for (const std::u16string& word : words) {
    if (word.empty() || word.find(u'\uFFFF') != std::u16string::npos) continue;
    if (text.find(word) != std::u16string_view::npos) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  std::vector<std::string_view> fields = SplitFields(AsText(data, size), 2);
  std::string file(fields[0]);
  CMyFile::Scramble(file);
  environment.files.Put("Data\\UserWord.kezo", file);

  CMyList list(list_files::kUserWord);
  list.Load(true);
  std::vector<std::u16string> words = *list.Entries();
  CKeywordSet keywords(words);
  CWordFilter filter(true);  // the shipped words of the environment plus these

  for (std::string_view line : SplitLines(fields[1])) {
    std::u16string text = LocalToWide(line);
    FUZZ_CHECK(keywords.Match(text) == PlainMatch(words, text));
    if (PlainMatch(words, text)) FUZZ_CHECK(filter.Match(std::u16string_view(text)));
    filter.Match(line);
  }
  return 0;
}
