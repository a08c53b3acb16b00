// The files of the shipped program folder (dist/, made from dist-src/): each is what its
// source says, loads whole through the class the program reads it with, and keeps the
// contract the program relies on. Read-only: the tests only read the committed files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

#include "dist_file.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "rules/data_file.h"
#include "rules/keyword_set.h"
#include "rules/list_files.h"
#include "rules/text_list.h"
#include "rules/url_filter.h"

namespace {

namespace fs = std::filesystem;

const std::string kSourceRoot = KEZO_SOURCE_ROOT;
const std::string kProgramRoot = KEZO_PROGRAM_ROOT;

// Makes `folder` the working directory for the lifetime of the object, so the program's
// relative names ("Data\\word.kezo") resolve in it.
class ScopedWorkingFolder {
 public:
  explicit ScopedWorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~ScopedWorkingFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }

 private:
  fs::path previous_;
};

class ShippedFilesTest : public ::testing::Test {
 protected:
  std::string Bytes(const std::string& relative) {
    return FileSystem::Current().ReadAll(relative).value_or("<missing " + relative + ">");
  }
  // The source of a target of the manifest.
  std::string SourceOf(std::string_view target) {
    for (const DistManifestEntry& entry : manifest_.entries) {
      if (entry.target == target)
        return FileSystem::Current().ReadAll(kSourceRoot + "/dist-src/" + entry.source).value_or("");
    }
    ADD_FAILURE() << "no source for " << target;
    return {};
  }
  CMyList::Items Loaded(const ListFile& file) {
    CMyList list(file);
    list.Load(file.sorted);
    return *list.Entries();
  }
  CMyList::Items Entries(std::string_view target, bool sorted) {
    std::vector<std::u16string> entries = DistListEntries(SourceOf(target));
    if (sorted) std::sort(entries.begin(), entries.end());
    return entries;
  }

  DistManifest manifest_ = ParseDistManifest(
      FileSystem::Current().ReadAll(kSourceRoot + "/dist-src/manifest.txt").value_or("<missing manifest>"));
  ScopedWorkingFolder folder_{kSourceRoot + "/dist"};
};

std::string SlashPath(std::string_view program_path) {
  std::string path(program_path);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

size_t Occurrences(std::string_view text, std::string_view what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// How a text appears in an ASCII page: one character reference per character.
std::string References(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    char reference[16];
    std::snprintf(reference, sizeof reference, "&#x%X;", static_cast<unsigned>(c));
    out += reference;
  }
  return out;
}

TEST_F(ShippedFilesTest, CommittedFilesAreWhatTheirSourcesBuild) {
  EXPECT_TRUE(manifest_.errors.empty()) << manifest_.errors.front();
  ASSERT_FALSE(manifest_.entries.empty());
  for (const DistManifestEntry& entry : manifest_.entries) {
    std::optional<std::string> source = FileSystem::Current().ReadAll(kSourceRoot + "/dist-src/" + entry.source);
    ASSERT_TRUE(source) << entry.source;
    DistBuild built = BuildDistFile(entry.form, *source);
    ASSERT_TRUE(built.ok) << entry.source << ": " << built.error;
    EXPECT_TRUE(Bytes(entry.target) == built.bytes)
        << entry.target << " differs from " << entry.source << ": run scripts/build-data";
  }
  for (const ListFile& file : list_files::kAll) {
    if (file.path == list_files::kEasyListChina.path) continue;  // made by the build, never committed
    EXPECT_TRUE(std::any_of(manifest_.entries.begin(), manifest_.entries.end(),
                            [&](const DistManifestEntry& entry) { return entry.target == SlashPath(file.path); }))
        << file.path << " is not shipped";
  }
}

TEST_F(ShippedFilesTest, EveryListLoadsWholeThroughItsClass) {
  struct Expectation {
    ListFile file;
    size_t at_least;
    std::vector<std::u16string> known;
  } expectations[] = {
      {list_files::kBlackDomain, 100, {u"xvideos.com", u"pornhub.com", u"t66y.com", u"91porn.com"}},
      {list_files::kWhiteDomain, 50, {u"baike.baidu.com", u"zh.wikipedia.org", u"12377.cn", u"localhost"}},
      {list_files::kURLFilter, 10, {u"porn", u"hentai", u"xvideo", u"sex"}},
      {list_files::kURLFilterWhite, 10, {u"essex", u"sexchange", u"camp", u"canteen"}},
      {list_files::kHostWeakWords, 20, {u"tube", u"cam", u"teen"}},
      {list_files::kHostCompanionWords, 20, {u"hot", u"dating", u"pics"}},
      {list_files::kWord, 100, {u"色情", u"黄色网站", u"做爱", u"porn", u"sex video"}},
      {list_files::kStrictWord, 40, {u"裸照", u"女优", u"NSFW"}},
      {list_files::kWhiteWord, 50, {u"反色情", u"查处色情", u"做爱心", u"sex education"}},
      {list_files::kJieSeTips, 30, {u"远离不良信息，守护身心健康。"}},
      {list_files::kXiuShenTips, 30, {u"吾日三省吾身。——《论语》"}},
      {list_files::kUserBlackDomain, 0, {}},
      {list_files::kUserWhiteDomain, 0, {}},
      {list_files::kUserWord, 0, {}},
      {list_files::kURLList, 0, {}},
      {list_files::kUserNoImageDomain, 0, {}},
      {list_files::kFilterImg, 0, {}},
      {list_files::kIntelligentDomain, 0, {}},
      {list_files::kIntelligentWhiteDomain, 0, {}},
  };
  for (const Expectation& expected : expectations) {
    SCOPED_TRACE(expected.file.path);
    CMyList list(expected.file);
    list.Load(expected.file.sorted);
    EXPECT_TRUE(list.HasBom()) << "UTF-8, so that the program saves what it adds in UTF-8 too";
    EXPECT_EQ(*list.Entries(), Entries(SlashPath(expected.file.path), expected.file.sorted))
        << "every source line, whole";
    EXPECT_GE(list.Count(), expected.at_least);
    if (expected.at_least == 0) {
      EXPECT_EQ(list.Count(), 0u) << "the user's lists ship empty";
    }
    for (const std::u16string& entry : expected.known) {
      if (expected.file.sorted) {
        EXPECT_GE(list.Find(entry), 0) << WideToUtf8(entry);
      } else {
        const CMyList::Items& items = *list.Entries();
        EXPECT_NE(std::find(items.begin(), items.end(), entry), items.end()) << WideToUtf8(entry);
      }
    }
  }

  // Read as the forced-mode window reads it: ANSI lines.
  std::string tips = Bytes("Data\\ExitJSModeTip.txt");
  EXPECT_FALSE(tips.starts_with("\xEF\xBB\xBF"));
  std::vector<std::u16string> lines;
  for (size_t start = 0, end; (end = tips.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LT(end - start, 1024u);
    lines.push_back(LocalToWide(tips.substr(start, end - start)));
  }
  EXPECT_EQ(lines, Entries("Data/ExitJSModeTip.txt", false));
  EXPECT_GE(lines.size(), 20u);
}

TEST_F(ShippedFilesTest, SiteListsHoldBareHostsAndKeywordsSpareOrdinaryHosts) {
  CMyList::Items black = Loaded(list_files::kBlackDomain);
  CMyList::Items white = Loaded(list_files::kWhiteDomain);
  for (const CMyList::Items* hosts : {&black, &white}) {
    for (const std::u16string& host : *hosts) {
      bool bare = host.find(u'.') != std::u16string::npos && !host.starts_with(u"www.") && host.back() != u'.' &&
                  std::all_of(host.begin(), host.end(), [](char16_t c) {
                    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
                  });
      EXPECT_TRUE(bare || host == u"localhost") << WideToUtf8(host) << ": lookups are exact, lower case, without www.";
      if (hosts == &black) {
        EXPECT_LT(CMyList::FindIn(white, host), 0) << WideToUtf8(host) << " is black and white";
      }
    }
  }

  CURLFilter keywords(list_files::kURLFilter);
  keywords.Load(true);
  keywords.LoadOrdinaryWords();
  keywords.FillExtraKeywords(black);
  EXPECT_TRUE(keywords.ExtraKeywords()->empty()) << "every black entry holds a dot, so none acts as a keyword";
  for (const std::u16string& keyword : *keywords.Entries()) {
    EXPECT_TRUE(keyword.size() >= 2 && keyword.size() <= 10) << WideToUtf8(keyword);
  }

  const char* ordinary[] = {"essex.ac.uk",
                            "www.essex.ac.uk",
                            "middlesex.edu",
                            "www.mdx.ac.uk",
                            "sussex.ac.uk",
                            "www.wessexwater.co.uk",
                            "analytics.google.com",
                            "www.java.com",
                            "javascript.info",
                            "www.xxxlutz.de",
                            "www.scunthorpe-united.co.uk",
                            "www.cam.ac.uk",
                            "heroticket.example",
                            "www.popcorn.example",
                            "www.sportingnews.com",
                            "www.baidu.com",
                            "cn.bing.com",
                            "www.experts-exchange.com",
                            "expertsexchange.com",
                            "www.therapist.com",
                            "milford.k12.example",
                            "unisex-fashion.example",
                            "www.xxxlutz.at",
                            "arteriosclerotic.example",
                            "www.computation.example",
                            "www.kittens.example"};
  for (const char* host : ordinary) {
    std::optional<std::u16string> hit = keywords.FindKeyword(host);
    EXPECT_FALSE(hit) << host << " is caught by " << WideToUtf8(hit.value_or(u""));
  }
  for (const char* host : {"www.pornhub.com", "xhamster2.com", "cn.xvideos.es", "hentaifox.com", "free-porn.example",
                           "freesexvideos.example", "sex-shop.example", "essexsex.example", "milfhunter.example",
                           "kostenloser-erotikchat.example", "naughty-flirts.example", "swingerclub.example"}) {
    EXPECT_TRUE(keywords.Match(host)) << host;
  }
}

TEST_F(ShippedFilesTest, WordListsClearOrdinaryTextsAndCatchIndecentOnes) {
  CMyList::Items black = Loaded(list_files::kWord);
  CMyList::Items strict = Loaded(list_files::kStrictWord);
  black.insert(black.end(), strict.begin(), strict.end());
  CKeywordSet banned_words(black);
  CKeywordSet white_words(Loaded(list_files::kWhiteWord));
  auto banned = [&](std::u16string_view text) { return banned_words.MatchOutside(text, white_words); };
  auto holds_any = [](const CMyList::Items& words, std::u16string_view text) -> const std::u16string* {
    for (const std::u16string& word : words) {
      if (text.find(word) != std::u16string_view::npos) return &word;
    }
    return nullptr;
  };

  const char16_t* ordinary[] = {u"理性爱国，从我做起",
                                u"一起做爱心公益",
                                u"个性爱好调查",
                                u"什么叫做爱情",
                                u"妇女优秀代表",
                                u"美女优惠券",
                                u"彩色图像处理",
                                u"露点温度计算",
                                u"淫雨霏霏，连月不开",
                                u"A片区规划公示",
                                u"成人高考报名",
                                u"出口交易会",
                                u"社群交流平台",
                                u"救援交通管制",
                                u"表情色彩",
                                u"心情色调",
                                u"形形色色的人",
                                u"特色播放列表",
                                u"扫黄打非：警方查处色情网站",
                                u"戒色吧：远离色情",
                                u"传播淫秽物品罪",
                                u"平台清理色情低俗内容",
                                u"生地黄片的功效",
                                u"孩子天性爱玩",
                                u"消防支援交警维持秩序",
                                u"Milford Sound",
                                u"依法打击卖淫嫖娼",
                                u"University of Essex",
                                u"Middlesex Hospital",
                                u"Sex Education season 4",
                                u"Scunthorpe United",
                                u"Analytics dashboard",
                                u"Georgy Zhukov",
                                u"free sexual health clinic",
                                u"Porn addiction recovery",
                                u"Ford Escort review",
                                u"黄色的花",
                                u"大黄片的功效与作用",
                                u"姜黄片泡水喝",
                                u"把他当做爱人",
                                u"个性爱好与职业选择",
                                u"社会支援交流会"};
  for (const char16_t* text : ordinary) {
    const std::u16string* hit = holds_any(black, text);
    EXPECT_FALSE(banned(text)) << WideToUtf8(text) << " is banned by " << (hit ? WideToUtf8(*hit) : "");
  }
  const char16_t* indecent[] = {u"免费色情视频", u"日本AV女优合集", u"自拍偷拍", u"裸聊直播",         u"黃色網站大全",
                                u"成人影片下载", u"约炮神器",       u"無碼高清", u"Free porn videos", u"hentai manga",
                                u"HD Sex Video", u"MILF",           u"同城裸照",
                                // ordinary words next to a banned text no longer clear it
                                u"黄色视频优惠", u"爱心推荐：成人电影", u"救援 援交妹",  u"优质黄色网站",
                                u"举报 色情视频", u"反色情联盟推荐：色情视频", u"性爱玩具", u"每天性爱",
                                u"日本女优美图"};
  for (const char16_t* text : indecent) EXPECT_TRUE(banned(text)) << WideToUtf8(text);
}

TEST_F(ShippedFilesTest, BlockPageIsACompleteHttpReply) {
  // As the proxy reads it: a plain data file, turned into the local code page.
  CMyFile page("www\\404.htm", false);
  page.Read();
  std::string reply = WideToLocal(page.Text());
  EXPECT_EQ(reply, Bytes("www\\404.htm"));
  ASSERT_TRUE(IsAscii(reply)) << "the length must hold whatever the code page";

  size_t head_end = reply.find("\r\n\r\n");
  ASSERT_NE(head_end, std::string::npos);
  std::string head = reply.substr(0, head_end + 2);
  std::string body = reply.substr(head_end + 4);
  EXPECT_TRUE(head.starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_NE(head.find("\r\nContent-Type: text/html; charset=utf-8\r\n"), std::string::npos);
  EXPECT_NE(head.find("\r\nConnection: close\r\n"), std::string::npos);
  size_t length = head.find("\r\nContent-Length: ");
  ASSERT_NE(length, std::string::npos);
  EXPECT_EQ(std::stoul(head.substr(length + 18)), body.size());
  EXPECT_TRUE(body.starts_with("<!DOCTYPE html>"));
  EXPECT_NE(body.find(References(u"此网页已被拦截")), std::string::npos);
  EXPECT_TRUE(body.ends_with("</html>\r\n"));
  EXPECT_EQ(body.find(".png"), std::string::npos) << "shown at the blocked site's address: no pictures of ours";
}

TEST_F(ShippedFilesTest, PageFragmentsKeepTheContractsOfTheProgram) {
  auto text_of = [](const char* path) {
    CMyFile file(path, false);
    file.Read();
    return WideToLocal(file.Text());
  };
  std::string script = text_of("Data\\Inject.kezo");
  std::string toolbar = text_of("Data\\Control.html");
  std::string tip_frame = text_of("Data\\WebBottomTips.txt");
  std::string tip_template = Bytes("Data\\WebBottomTipsTemplate.txt");
  for (const std::string* fragment : {&script, &toolbar, &tip_frame}) {
    for (const char* end_tag : {"</head>", "</body>", "</html>"}) {
      EXPECT_EQ(fragment->find(end_tag), std::string::npos) << "a fragment inserted before " << end_tag << " holds one";
    }
  }

  ASSERT_TRUE(IsAscii(script) && IsAscii(toolbar)) << "so they read the same in a page of any encoding";
  // Every filtered page carries the fragments: they load the script and the toolbar's look
  // from the control server (synchronously, so that the no-picture call after them finds
  // kezo_data), and the bar stays hidden until its style sheet has come.
  EXPECT_EQ(script, "<script id=\"kezo-script\" src=\"http://127.0.0.1:809/kezo.js\"></script>\r\n");
  EXPECT_TRUE(toolbar.starts_with("<link rel=\"stylesheet\" href=\"http://127.0.0.1:809/kezo.css\">"
                                  "<div id=\"kezo-bar\" style=\"display:none\">"));
  EXPECT_LE(script.size() + toolbar.size() + tip_template.size(), 4096u);

  std::string page_script = Bytes("www\\kezo.js");
  std::string toolbar_style = Bytes("www\\kezo.css");
  ASSERT_TRUE(IsAscii(page_script) && IsAscii(toolbar_style)) << "loaded by pages of any encoding";
  for (const char* part : {"kezo_data", "do_filter", "manual_nonepic", "no_img", "'/param.js'", "'kezo-script'",
                           "'filterimage'", "'black'", "'white'", "'noimg'", "'close'", "'set'", "'kezo:done'"}) {
    EXPECT_NE(page_script.find(part), std::string::npos) << part;
  }
  EXPECT_NE(toolbar_style.find("#kezo-bar.kezo-on { display: block !important;"), std::string::npos)
      << "the page script shows the bar by this class, over the bar's own display:none";
  struct Button {
    const char* command;
    std::u16string label;
  } buttons[] = {{"black", u"屏蔽此网站"},
                 {"white", u"信任此网站"},
                 {"noimg", u"隐藏图片"},
                 {"close", u"关闭工具栏"},
                 {"set", u"设置"}};
  for (const Button& button : buttons) {
    std::string markup = "data-kezo-command=\"" + std::string(button.command) + "\"";
    size_t at = toolbar.find(markup);
    ASSERT_NE(at, std::string::npos) << markup;
    std::string label = References(button.label).append("</span>");
    EXPECT_EQ(toolbar.find(label, at), toolbar.find('>', at) + 1) << markup << ": the label is the button's text";
  }

  // The tip frame ships as its template filled with the editor's defaults, that is unchanged.
  EXPECT_EQ(Bytes("Data\\WebBottomTips.txt"), tip_template);
  EXPECT_FALSE(tip_template.starts_with("\xEF\xBB\xBF")) << "filled in the system code page, so no UTF-8 mark";
  for (const char* placeholder : {"ShareContent", "color: #000000", "background-color: #FFFFFF", "#6DAAEA",
                                  "\xCB\xCE\xCC\xE5" /* 宋体 */, "12"}) {
    EXPECT_EQ(Occurrences(tip_template, placeholder), 1u) << placeholder;
  }

  std::string share = Bytes("Data\\shareto.html");
  EXPECT_TRUE(IsAscii(share));
  EXPECT_EQ(Occurrences(share, "ShareContent"), 1u);
  EXPECT_EQ(Occurrences(share, "ShareTitle"), 1u);
  EXPECT_EQ(share.find("charset"), std::string::npos) << "filled in the system code page";

  // Always rewritten by the program; shipped with the default settings.
  EXPECT_EQ(Bytes("www\\param.js"), "var kezo_data={}\r\nkezo_data.manual_nonepic='1'\r\nkezo_data.no_img='0'");
  CMyFile bypass("Data\\SuperWhiteList.txt", false);
  bypass.Read();
  EXPECT_LE(bypass.Text().size(), 2047u);
  for (const char16_t* entry : {u"localhost", u"127.*", u"192.168.*", u"<local>"}) {
    EXPECT_NE(bypass.Text().find(entry), std::u16string::npos) << WideToUtf8(entry);
  }
}

TEST_F(ShippedFilesTest, StartupTaskTemplateIsUtf16WithOneOfEachPlaceholder) {
  std::string bytes = Bytes("startup.xml");
  ASSERT_TRUE(bytes.starts_with("\xFF\xFE") && bytes.size() % 2 == 0);
  std::u16string xml;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    xml.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  EXPECT_TRUE(xml.starts_with(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"));
  std::string text = WideToUtf8(xml);
  EXPECT_EQ(Occurrences(text, "APPPATH"), 1u);
  EXPECT_EQ(Occurrences(text, "WORKPATH"), 1u);
  for (const char* part :
       {"<Command>APPPATH</Command>", "<Arguments>-h</Arguments>", "<WorkingDirectory>WORKPATH</WorkingDirectory>",
        "<LogonTrigger>", "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
        "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
}

// Width and height of a PNG, GIF, BMP or JPEG picture; nullopt for anything else.
std::optional<std::pair<int, int>> PictureSize(const std::string& data) {
  auto byte = [&](size_t i) { return i < data.size() ? static_cast<unsigned char>(data[i]) : 0u; };
  auto big16 = [&](size_t i) { return static_cast<int>(byte(i) << 8 | byte(i + 1)); };
  auto little16 = [&](size_t i) { return static_cast<int>(byte(i) | byte(i + 1) << 8); };
  auto big32 = [&](size_t i) { return big16(i) << 16 | big16(i + 2); };
  auto little32 = [&](size_t i) { return static_cast<int>(little16(i) | little16(i + 2) << 16); };
  if (data.starts_with("\x89PNG\r\n\x1A\n")) return std::pair(big32(16), big32(20));
  if (data.starts_with("GIF89a") || data.starts_with("GIF87a")) return std::pair(little16(6), little16(8));
  if (data.starts_with("BM")) return std::pair(little32(18), std::abs(little32(22)));
  if (data.starts_with("\xFF\xD8")) {
    for (size_t at = 2; at + 9 < data.size() && byte(at) == 0xFF; at += 2 + big16(at + 2)) {
      unsigned marker = byte(at + 1);
      if (marker >= 0xC0 && marker <= 0xC3) return std::pair(big16(at + 7), big16(at + 5));
    }
  }
  return std::nullopt;
}

TEST_F(ShippedFilesTest, EveryPictureThatTheProgramNamesIsThere) {
  std::vector<std::string> pictures = {"Images\\mainbg.jpg",   "Images\\mainbg2.png",    "Images\\share.png",
                                       "Images\\jiese1.png",   "Images\\jiese2.png",     "Images\\xiushen1.png",
                                       "Images\\xiushen2.png", "Images\\kezo_large.png", "Images\\Time_Machine.png",
                                       "Images\\hfs.jpg",      "www\\logo.png"};
  for (int digit = 0; digit <= 9; ++digit) pictures.push_back("Images\\" + std::to_string(digit) + ".png");
  for (const std::string& picture : pictures) EXPECT_TRUE(PictureSize(Bytes(picture))) << picture;

  auto digit_size = PictureSize(Bytes("Images\\0.png"));
  for (int digit = 1; digit <= 9; ++digit) {
    EXPECT_EQ(PictureSize(Bytes("Images\\" + std::to_string(digit) + ".png")), digit_size) << "digits line up";
  }
  EXPECT_EQ(PictureSize(Bytes("Images\\mainbg.jpg")), std::pair(898, 600));
  EXPECT_EQ(PictureSize(Bytes("Images\\mainbg2.png")), std::pair(898, 600));
  for (const char* strip :
       {"Images\\CloseButton.bmp", "Images\\mini.bmp", "Images\\dropdown.bmp", "Images\\close2.bmp"}) {
    EXPECT_EQ(PictureSize(Bytes(strip)), std::pair(78, 26)) << strip << ": three 26 x 26 frames";
  }

  std::string blank = Bytes("Images\\none.gif");
  EXPECT_EQ(blank.size(), 43u) << "the image reply announces 43 bytes";
  EXPECT_EQ(PictureSize(blank), std::pair(1, 1));
  EXPECT_TRUE(blank.ends_with(";"));

  for (const char* icon : {"Images\\kezo.ico", "Images\\tray.ico", "Images\\tray_paused.ico", "Images\\tray_locked.ico",
                           "www\\favicon.ico"}) {
    EXPECT_TRUE(Bytes(icon).starts_with(std::string("\0\0\1\0", 4))) << icon;
  }
  for (const char* page : {"www\\OperationCompleted.html", "www\\ShowUnlock.html", "www\\ConfirmCommand.html",
                           "www\\IntellFilterTip.html",
                           "www\\style.css", "Data\\about.html"}) {
    EXPECT_FALSE(Bytes(page).starts_with("<missing")) << page;
  }
}

TEST(ShippedAdRulesTest, ProgramFolderHoldsTheAssembledRulesWithTheirNotice) {
  ScopedWorkingFolder folder(kProgramRoot);
  if (!FileSystem::Current().ReadAll("Data\\easylistchina.txt")) {
    GTEST_SKIP() << "no ad rules in the program folder: Debian's webext-ublock-origin-firefox is not installed";
  }
  CMyList rules(list_files::kEasyListChina);
  rules.Load(true);
  EXPECT_GT(rules.Count(), 10000u);
  for (const std::u16string& rule : *rules.Entries()) {
    ASSERT_EQ(rule.find(u"##"), std::u16string::npos) << "element hiding is left out: " << WideToUtf8(rule);
  }
  std::string notice = FileSystem::Current().ReadAll("Data\\easylistchina-licence.txt").value_or("");
  EXPECT_NE(notice.find("GPL-3+ or CC-BY-SA-3.0+"), std::string::npos);
}

}  // namespace
