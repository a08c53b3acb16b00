// The page-tip style editor: filling the template, the files it writes and the change flag
// the filter reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/profile_values.h"
#include "config/settings.h"
#include "dialog_scripts.h"
#include "file_text.h"
#include "headless_dialog_fixture.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "resource.h"
#include "tools/local_page.h"
#include "tools/tip_style.h"
#include "tools/user_define_web_tip_dlg.h"
#include "tools_fixture.h"
#include "tools_resource.h"

namespace {

std::u16string ShippedTemplate() {
  std::string bytes = ::FileText(std::filesystem::path(KEZO_SOURCE_ROOT) / "dist" / "Data" / "WebBottomTipsTemplate.txt");
  return LocalToWide(bytes);
}

TEST(TipStyleTest, TheDefaultsGiveTheTemplateBackAndEachColourReplacesOnlyItsPlace) {
  std::u16string shipped = ShippedTemplate();
  ASSERT_NE(shipped.find(u"ShareContent"), std::u16string::npos);
  EXPECT_EQ(FillTipTemplate(shipped, TipStyle{}, std::nullopt), shipped);

  TipStyle red;
  red.text = Rgb(255, 0, 0);
  std::u16string filled = FillTipTemplate(shipped, red, std::nullopt);
  EXPECT_NE(filled.find(u";color: #FF0000"), std::u16string::npos);
  EXPECT_NE(filled.find(u"background-color: #FFFFFF"), std::u16string::npos);
  EXPECT_EQ(filled.find(u"#000000"), std::u16string::npos);
  EXPECT_EQ(HtmlColour(0xEAAA6D), u"#6DAAEA");
  EXPECT_EQ(HtmlColour(Rgb(1, 2, 0xAB)), u"#0102AB");
}

TEST(TipStyleTest, InsertedValuesAreNotReplacedAgainAndTheFontCannotBreakOutOfThePage) {
  const std::u16string small = u"<i style=\"color: #000000;border:1px solid #6DAAEA;font:12px '宋体'\">ShareContent</i>";
  TipStyle style;
  style.text = 0xEAAA6D;     // the border's placeholder text
  style.border = Rgb(0, 0, 255);
  style.font_size = 14;
  EXPECT_EQ(FillTipTemplate(small, style, std::nullopt),
            u"<i style=\"color: #6DAAEA;border:1px solid #0000FF;font:14px '宋体'\">ShareContent</i>");
  EXPECT_EQ(FillTipTemplate(small, style, u"样例 12 #6DAAEA"),
            u"<i style=\"color: #6DAAEA;border:1px solid #0000FF;font:14px '宋体'\">样例 12 #6DAAEA</i>");

  style.font = u"x'\"><script>alert(1)</script>;\\";
  std::u16string filled = FillTipTemplate(small, style, std::nullopt);
  EXPECT_EQ(filled, u"<i style=\"color: #6DAAEA;border:1px solid #0000FF;font:14px "
                    u"'x\\27 \\22 \\3E \\3C script\\3E alert(1)\\3C /script\\3E \\3B \\5C '\">ShareContent</i>");
}

TEST(TipStyleTest, PageAddressesCarrySpacesAndHashesOfTheFolder) {
  EXPECT_EQ(FilePageAddress(u"C:\\Program Files\\A #1", u"Data\\UserWebBottomTips.html"),
            u"file:///C:/Program%20Files/A%20%231/Data/UserWebBottomTips.html");
  EXPECT_EQ(FilePageAddress(u"/opt/v 100%", u"Data\\shareto1.html"), u"file:///opt/v%20100%25/Data/shareto1.html");
}

// Records whether the filter had already been told of the new style when the tip file
// was written.
class WriteOrderFileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadAll(std::string_view path) override { return FileSystem::System().ReadAll(path); }
  bool Replace(std::string_view path, std::string_view data) override {
    if (path == CUserDefineWebTipDlg::kTipPath) flag_when_tip_written.push_back(TheSetup().tipStyleChanged);
    return FileSystem::System().Replace(path, data);
  }
  bool Exists(std::string_view path) override { return FileSystem::System().Exists(path); }
  bool Remove(std::string_view path) override { return FileSystem::System().Remove(path); }
  std::vector<bool> flag_when_tip_written;
};

class StyleEditorTest : public HeadlessDialogTest {
 protected:
  StyleEditorTest() {
    std::filesystem::create_directories(folder_.path() / "Data");
    FileSystem::Current().Replace(CUserDefineWebTipDlg::kTemplatePath, WideToLocal(ShippedTemplate()));
    TheSetup().tipStyleChanged = false;
  }
  ~StyleEditorTest() override { TheSetup().tipStyleChanged = false; }

  std::u16string FileText(std::string_view path) {
    return LocalToWide(FileSystem::Current().ReadAll(path).value_or(""));
  }
  void RunEditor(std::function<void(CDialog&, HeadlessWindow&)> script) {
    ui_.on_modal = [&](CDialog& dialog) {
      script(dialog, *ui_.WindowOf(dialog));
      return kIdCancel;
    };
    CUserDefineWebTipDlg().DoModal();
  }

  WriteOrderFileSystem files_;
  ScopedSeam<FileSystem> files_seam_{files_};
};

TEST_F(StyleEditorTest, ChangesShowInThePreviewAndAreKeptOnlyWhenSaved) {
  ui_.on_choose_color = [](Color initial) { return std::optional<Color>(Rgb(255, 0, 0)); };
  RunEditor([&](CDialog& dialog, HeadlessWindow& window) {
    EXPECT_FALSE(window.IsEnabled(kIdOk));
    EXPECT_EQ(window.ComboText(IDC_TIP_COLOUR_CHOICE, 2), u"边框颜色");
    EXPECT_EQ(window.ComboSelection(IDC_TIP_COLOUR_CHOICE), 0);
    std::u16string preview = FileText(CUserDefineWebTipDlg::kPreviewPath);
    EXPECT_NE(preview.find(CUserDefineWebTipDlg::kSample), std::u16string::npos);
    EXPECT_EQ(preview.find(u"ShareContent"), std::u16string::npos);
    HeadlessBrowserPane* pane = ui_.BrowserOf(dialog, IDC_EXPLORER);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->navigations.front(), u"about:blank");
    EXPECT_EQ(pane->navigations.back(), LocalPageAddress(u"Data\\UserWebBottomTips.html"));

    ASSERT_TRUE(ui_.Click(dialog, IDC_TIP_CHANGE_COLOUR));
    EXPECT_TRUE(window.IsEnabled(kIdOk));
    EXPECT_NE(FileText(CUserDefineWebTipDlg::kPreviewPath).find(u";color: #FF0000"), std::u16string::npos);
    ui_.Click(dialog, kIdCancel);  // "关闭"
  });
  EXPECT_EQ(ReadProfile(profile::kUserColor), 0) << "nothing saved";
  EXPECT_FALSE(FileSystem::Current().Exists(CUserDefineWebTipDlg::kTipPath));
  EXPECT_FALSE(TheSetup().tipStyleChanged);

  RunEditor([&](CDialog& dialog, HeadlessWindow& window) {
    ui_.SelectCombo(dialog, IDC_TIP_COLOUR_CHOICE, 1);
    ui_.Click(dialog, IDC_TIP_CHANGE_COLOUR);  // background red
    ASSERT_TRUE(ui_.Click(dialog, kIdOk));      // "保存"
    EXPECT_FALSE(window.IsEnabled(kIdOk));
  });
  EXPECT_EQ(ReadProfile(profile::kUserBackgroundColor), 0x0000FF);
  EXPECT_EQ(ReadProfile(profile::kUserColor), 0);
  EXPECT_EQ(ReadProfile(profile::kUserFont), u"宋体");
  EXPECT_EQ(ReadProfile(profile::kUserFontSize), 12);
  std::u16string tip = FileText(CUserDefineWebTipDlg::kTipPath);
  EXPECT_NE(tip.find(u"background-color: #FF0000"), std::u16string::npos);
  EXPECT_NE(tip.find(u"ShareContent"), std::u16string::npos) << "kept for the filter's tip sentence";
  EXPECT_TRUE(TheSetup().tipStyleChanged);
  EXPECT_EQ(files_.flag_when_tip_written, std::vector<bool>{false}) << "the file is complete before the flag is set";
}

TEST_F(StyleEditorTest, ResetWritesTheDefaultsAtOnceAndACancelledColourChangesNothing) {
  WriteProfile(profile::kUserColor, 0x00FF00);
  WriteProfile(profile::kUserFont, u"黑体");
  RunEditor([&](CDialog& dialog, HeadlessWindow& window) {
    ui_.Click(dialog, IDC_TIP_CHANGE_COLOUR);  // cancelled: no script answers
    EXPECT_TRUE(window.IsEnabled(kIdOk)) << "still enables saving";
    ASSERT_TRUE(ui_.Click(dialog, IDC_TIP_RESET));
    EXPECT_TRUE(window.IsEnabled(kIdOk));
    ui_.Click(dialog, kIdCancel);
  });
  EXPECT_EQ(ReadProfile(profile::kUserColor), 0);
  EXPECT_EQ(ReadProfile(profile::kUserFont), u"宋体");
  EXPECT_EQ(ReadProfile(profile::kUserFontWeight), 400);
  EXPECT_EQ(FileText(CUserDefineWebTipDlg::kTipPath), ShippedTemplate());
  EXPECT_TRUE(TheSetup().tipStyleChanged);
}

// The settings centre's basic page reaches the editor through the main window's dialogs.
class StyleEditorFromTheSettingsTest : public ToolsTest {};

TEST_F(StyleEditorFromTheSettingsTest, TheSeamOfTheBasicPageRunsTheEditor) {
  FileSystem::Current().Replace(CUserDefineWebTipDlg::kTemplatePath, WideToLocal(ShippedTemplate()));
  OpenWithTools();
  bool ran = false;
  scripts_.Add(IDD_USER_DEFINE_WEB_TIP, [&](CDialog& editor) {
    ran = true;
    EXPECT_EQ(WindowOf(editor).Title(), u"提示语样式");
    ui_.Click(editor, IDC_TIP_RESET);
  });
  tools_.RunTipStyleEditor(*main_);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(TheSetup().tipStyleChanged);
}

}  // namespace
