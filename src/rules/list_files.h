#pragma once

#include <cstdint>
#include <string_view>

// The list files of the program folder with the way each is held: scrambled or plain, the
// length limits for added entries, and whether it is kept sorted.
struct ListFile {
  std::string_view path;
  bool scrambled;
  uint16_t max_length;
  uint16_t min_length;
  bool sorted;
};

namespace list_files {

inline constexpr ListFile kBlackDomain{"Data\\blackdomain.kezo", true, 30, 5, true};
inline constexpr ListFile kWhiteDomain{"Data\\whitedomain.kezo", true, 30, 5, true};
inline constexpr ListFile kUserBlackDomain{"Data\\UserBlackDomain.kezo", true, 50, 5, true};
inline constexpr ListFile kUserWhiteDomain{"Data\\UserWhiteDomain.kezo", true, 50, 5, true};
inline constexpr ListFile kURLFilter{"Data\\URLFilter.kezo", true, 10, 2, true};
inline constexpr ListFile kURLFilterWhite{"Data\\URLFilterWhite.kezo", true, 30, 2, true};
// Label shapes of site families of the black list ("#sds" for 802sds.com and its mirrors),
// written by the build beside the merged black list.
inline constexpr ListFile kBlackFamily{"Data\\blackfamily.kezo", true, 63, 1, true};
// Words that make a host name read as adult only in company (CHostWords).
inline constexpr ListFile kHostWeakWords{"Data\\HostWeakWords.kezo", true, 30, 2, true};
inline constexpr ListFile kHostCompanionWords{"Data\\HostCompanionWords.kezo", true, 30, 2, true};
inline constexpr ListFile kURLList{"Data\\URLList.txt", false, 9999, 1, true};
inline constexpr ListFile kUserNoImageDomain{"Data\\UserNoImageDomain.txt", false, 50, 5, true};
inline constexpr ListFile kFilterImg{"Data\\filter_img.txt", false, 9999, 1, true};
inline constexpr ListFile kIntelligentDomain{"Data\\IntelligentDomain.txt", false, 9999, 1, true};
inline constexpr ListFile kIntelligentWhiteDomain{"Data\\IntelligentWhiteDomain.txt", false, 9999, 1, true};
inline constexpr ListFile kEasyListChina{"Data\\easylistchina.txt", false, 9999, 1, true};
inline constexpr ListFile kJieSeTips{"Data\\jiese_tips.txt", false, 9999, 1, false};
inline constexpr ListFile kXiuShenTips{"Data\\xiu_shen_tips.txt", false, 9999, 1, false};
inline constexpr ListFile kWord{"Data\\word.kezo", true, 12, 1, true};
inline constexpr ListFile kUserWord{"Data\\UserWord.kezo", true, 12, 1, true};
inline constexpr ListFile kStrictWord{"Data\\StrictWord.kezo", true, 12, 1, true};
inline constexpr ListFile kWhiteWord{"Data\\whiteword.kezo", true, 12, 1, true};

// The user's word file as the keyword page and the quick add-keyword command edit it: words
// of two characters at least.
inline constexpr ListFile kUserWordEditing{"Data\\UserWord.kezo", true, 12, 2, true};

inline constexpr ListFile kAll[] = {
    kBlackDomain, kWhiteDomain, kUserBlackDomain, kUserWhiteDomain, kURLFilter, kURLFilterWhite, kHostWeakWords,
    kHostCompanionWords, kURLList,
    kUserNoImageDomain, kFilterImg, kIntelligentDomain, kIntelligentWhiteDomain, kEasyListChina,
    kJieSeTips, kXiuShenTips, kWord, kUserWord, kStrictWord, kWhiteWord};

}  // namespace list_files
