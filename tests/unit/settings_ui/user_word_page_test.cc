// The keyword page on the real template, over a temporary program folder.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "core/kezo_resources.h"
#include "data_files.h"
#include "framework/headless/headless_ui.h"
#include "platform/file_system.h"
#include "resource.h"
#include "rules/list_files.h"
#include "settings_ui/user_word_dlg.h"
#include "settings_ui/word_file.h"
#include "temp_folder.h"

namespace {

using Words = std::vector<std::u16string>;

class UserWordPageTest : public ::testing::Test {
 protected:
  UserWordPageTest() {
    std::filesystem::create_directories(folder_.path() / "Data");
    setup_.JieSeActive = false;
    ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
  }
  ~UserWordPageTest() override {
    page_.DestroyWindow();
    setup_.JieSeActive = false;
  }
  void Open(const Words& words = {}) {
    CMyList file(list_files::kUserWordEditing);
    file.ReplaceAll(words, true);
    ASSERT_TRUE(page_.Create());
  }
  Words Rows() {
    Words rows;
    for (const auto& row : ui_.ControlOf(page_, IDC_USERWORD_LIST)->list_rows) rows.push_back(row[0]);
    return rows;
  }
  Words Stored() {
    CMyList file(list_files::kUserWordEditing);
    file.Load(true);
    return *file.Entries();
  }
  MenuModel Choose(int command, int row = -1) {
    ui_.on_menu = [command](const MenuModel&) { return command; };
    ui_.RightClickList(page_, IDC_USERWORD_LIST, row);
    return ui_.menus.back();
  }
  static bool Enabled(const MenuModel& menu, int id) { return menu.Find(id) != nullptr && menu.Find(id)->enabled; }
  std::u16string Text(int id) { return ui_.WindowOf(page_)->Text(id); }

  ScopedTempWorkingFolder folder_;
  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
  SetupRecord& setup_ = TheSetup();
  CUserWordDlg page_{setup_};
};

Words Numbered(size_t count) {
  Words words;
  for (size_t i = 0; i < count; ++i) {
    std::string text = "word" + std::to_string(100 + i);
    words.emplace_back(text.begin(), text.end());
  }
  return words;
}

TEST_F(UserWordPageTest, TypedWordsAreTrimmedCutAndCheckedAndTheCountFollows) {
  Open({u"已有"});
  ui_.Click(page_, IDC_USERWORD_HIDE);  // show the words
  EXPECT_EQ(Text(IDC_USERWORD_COUNT), u"关键词数量: [ 1 ]");
  EXPECT_FALSE(page_.Changed());
  ui_.Paste(page_, IDC_USERWORD_ENTRY, u"  abcdefgh  \r\nx\n已有\n色情网站");
  ui_.Click(page_, IDC_USERWORD_ADD);
  EXPECT_EQ(Stored(), (Words{u"abcdef", u"已有", u"色情网站"})) << "cut to six, too short and present refused";
  EXPECT_EQ(Rows(), Stored());
  EXPECT_EQ(Text(IDC_USERWORD_COUNT), u"关键词数量: [ 3 ]");
  EXPECT_EQ(Text(IDC_USERWORD_ENTRY), u"");
  EXPECT_EQ(ui_.WindowOf(page_)->FocusedControl(), IDC_USERWORD_ENTRY);
  EXPECT_TRUE(page_.Changed());
}

TEST_F(UserWordPageTest, AHiddenListShowsAtMostTwentyMasksAndTheViewComesFromTheFileAtEveryShow) {
  Words words = Numbered(25);
  Open(words);
  EXPECT_EQ(Rows(), Words(20, u"******"));
  EXPECT_EQ(Text(IDC_USERWORD_COUNT), u"关键词数量: [ 25 ]");
  ui_.Click(page_, IDC_USERWORD_HIDE);
  EXPECT_EQ(Rows(), words);

  // An add elsewhere (the locked menu's dialog) shows at the next show of the page.
  CMyList elsewhere(list_files::kUserWordEditing);
  elsewhere.Load(true);
  elsewhere.Add(u"aaa", true);
  page_.Reload();
  EXPECT_EQ(Rows().front(), u"aaa");
  EXPECT_GE(ui_.ControlOf(page_, IDC_USERWORD_LIST)->list_redraw_pauses, 3) << "each fill draws once";
}

TEST_F(UserWordPageTest, DeleteAndClearFollowTheHiddenListAndTheForcedMode) {
  Open({u"alpha", u"beta", u"gamma"});
  MenuModel hidden = Choose(0, 0);
  EXPECT_FALSE(Enabled(hidden, ID_USERWORD_DELETE_SELECTED)) << "masks cannot be deleted";
  EXPECT_TRUE(Enabled(hidden, ID_USERWORD_CLEAR_ALL));

  ui_.Click(page_, IDC_USERWORD_HIDE);
  ui_.SelectListRows(page_, IDC_USERWORD_LIST, {0, 2});
  Choose(ID_USERWORD_DELETE_SELECTED, 0);
  EXPECT_EQ(Stored(), Words{u"beta"});
  EXPECT_EQ(Rows(), Words{u"beta"});
  EXPECT_TRUE(page_.Changed());

  setup_.JieSeActive = true;
  MenuModel forced = Choose(ID_USERWORD_CLEAR_ALL, 0);
  EXPECT_FALSE(Enabled(forced, ID_USERWORD_DELETE_SELECTED));
  EXPECT_FALSE(Enabled(forced, ID_USERWORD_CLEAR_ALL));
  EXPECT_EQ(Stored(), Words{u"beta"});
  ui_.Paste(page_, IDC_USERWORD_ENTRY, u"delta");
  ui_.Click(page_, IDC_USERWORD_ADD);
  EXPECT_EQ(Stored(), (Words{u"beta", u"delta"})) << "adding still works";
  setup_.JieSeActive = false;

  ui_.on_message_box = [](const MessageBoxRequest& box) {
    EXPECT_EQ(box.text, u"是否要清空所有关键词列表？");
    EXPECT_EQ(box.caption, u"确认操作");
    return kIdNo;
  };
  Choose(ID_USERWORD_CLEAR_ALL);
  EXPECT_EQ(Stored().size(), 2u);
  ui_.on_message_box = [](const MessageBoxRequest&) { return kIdYes; };
  Choose(ID_USERWORD_CLEAR_ALL);
  EXPECT_TRUE(Stored().empty());
  EXPECT_TRUE(Rows().empty());
}

TEST_F(UserWordPageTest, ImportTakesOnlyAWordListAndKeepsTheOldFileOtherwise) {
  Open({u"keep", u"these"});
  std::string exported = (folder_.path() / "exported.kezo").string();
  ui_.on_choose_file = [&](const FileDialogRequest& request) {
    EXPECT_EQ(request.file_name, u"自定义关键词");
    EXPECT_EQ(request.filter, u"Veltra(*.kezo)|*.kezo||");
    return std::optional<std::u16string>(Utf8ToWide(exported));
  };
  Choose(ID_USERWORD_EXPORT);
  EXPECT_EQ(ReadWordFile(exported), (Words{u"keep", u"these"}));

  // Files that are no scrambled word list: a plain text, a picture's bytes, an empty file.
  WriteListFile("plain.kezo", {"plain", "words"}, false);
  FileSystem::Current().Replace("picture.kezo", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  FileSystem::Current().Replace("empty.kezo", "");
  std::optional<std::string> before = FileSystem::Current().ReadAll("Data\\UserWord.kezo");
  for (const char16_t* refused : {u"plain.kezo", u"picture.kezo", u"empty.kezo", u"absent.kezo"}) {
    ui_.message_boxes.clear();
    ui_.on_choose_file = [refused](const FileDialogRequest&) { return std::optional<std::u16string>(refused); };
    Choose(ID_USERWORD_IMPORT);
    ASSERT_EQ(ui_.message_boxes.size(), 1u);
    EXPECT_EQ(FileSystem::Current().ReadAll("Data\\UserWord.kezo"), before);
  }
  EXPECT_FALSE(page_.Changed());

  WriteListFile("other.kezo", {"新词", "another"}, true);
  ui_.on_choose_file = [](const FileDialogRequest&) { return std::optional<std::u16string>(u"other.kezo"); };
  Choose(ID_USERWORD_IMPORT);
  EXPECT_EQ(Stored(), (Words{u"another", u"新词"}));
  EXPECT_TRUE(page_.Changed());
}

}  // namespace
