#include "settings_ui/user_word_dlg.h"

#include "config/settings.h"
#include "framework/ui_backend.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "resource.h"
#include "rules/list_files.h"
#include "settings_ui/word_file.h"

namespace {

constexpr int kColumnWidth = 200;

std::u16string Decimal(size_t number) {
  std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

FileDialogRequest KeywordFileRequest(bool save) {
  FileDialogRequest request;
  request.save = save;
  request.filter = u"Veltra(*.kezo)|*.kezo||";
  request.default_extension = u"kezo";
  request.file_name = u"自定义关键词";
  return request;
}

}  // namespace

CUserWordDlg::CUserWordDlg(SetupRecord& setup)
    : CSettingsPage(IDD_USERWORD), setup_(setup), words_(list_files::kUserWordEditing) {}

bool CUserWordDlg::OnInit() {
  window().SetToolTip(IDC_USERWORD_ENTRY, u"一行一条关键词,可以同时输入多个关键词");
  window().SetToolTip(IDC_USERWORD_ADD, u"一行一条关键词,可以同时输入多个关键词");
  window().ListAddColumn(IDC_USERWORD_LIST, u"关键词列表", kColumnWidth);
  window().ListSetStyle(IDC_USERWORD_LIST, false, false, true);
  window().SetCheck(IDC_USERWORD_HIDE, CheckState::kChecked);
  window().SetText(IDC_USERWORD_EXPLANATION,
                   u"关键词作用：\n\n1、过滤网页里包含关键词的链接，且仅对网页链接有效。\n\n"
                   u"2、用于窗体巡警，程序标题包含该列表的将被窗体巡警自动关闭。");
  Reload();
  return true;
}

void CUserWordDlg::Reload() {
  words_.Load(true);
  if (IsOpen()) Refresh();
}

bool CUserWordDlg::Hidden() { return window().Check(IDC_USERWORD_HIDE) == CheckState::kChecked; }

// The view is filled here, on the interface thread, from one snapshot of the entries, so an
// edit meanwhile cannot change what is being walked, and a page closed meanwhile has
// nothing left running.
void CUserWordDlg::Refresh() {
  std::shared_ptr<const CMyList::Items> entries = words_.Entries();
  DialogWindow& view = window();
  view.ListSetRedraw(IDC_USERWORD_LIST, false);
  view.ListClear(IDC_USERWORD_LIST);
  if (Hidden()) {
    for (size_t i = 0; i < std::min(entries->size(), kHiddenRows); ++i) view.ListInsert(IDC_USERWORD_LIST, -1, u"******");
  } else {
    for (const std::u16string& entry : *entries) view.ListInsert(IDC_USERWORD_LIST, -1, entry);
  }
  view.ListSetRedraw(IDC_USERWORD_LIST, true);
  view.SetText(IDC_USERWORD_COUNT, u"关键词数量: [ " + Decimal(entries->size()) + u" ]");
}

bool CUserWordDlg::OnCommand(int id) {
  switch (id) {
    case IDC_USERWORD_ADD: AddTypedWords(); break;
    case IDC_USERWORD_HIDE: Refresh(); break;
    case ID_USERWORD_DELETE_SELECTED: DeleteSelected(); break;
    case ID_USERWORD_CLEAR_ALL: ClearAll(); break;
    case ID_USERWORD_IMPORT: Import(); break;
    case ID_USERWORD_EXPORT: Export(); break;
    default: return false;
  }
  return true;
}

void CUserWordDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (id == IDC_USERWORD_LIST && event == ControlEvent::kRightClicked) ShowContextMenu(ListRowOf(detail));
}

void CUserWordDlg::AddTypedWords() {
  std::u16string text = window().Text(IDC_USERWORD_ENTRY);
  std::vector<std::u16string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.find_first_of(u"\r\n", start), text.size());
    std::u16string_view line = std::u16string_view(text).substr(start, end - start);
    size_t first = line.find_first_not_of(u' ');
    if (first != std::u16string_view::npos) {
      line = line.substr(first, line.find_last_not_of(u' ') - first + 1);
      words.emplace_back(line.substr(0, kLongestTypedWord));
    }
    start = end + 1;
  }
  words_.AddMany(words, true);
  Refresh();
  changed_ = true;
  window().SetText(IDC_USERWORD_ENTRY, u"");
  window().Focus(IDC_USERWORD_ENTRY);
}

void CUserWordDlg::ShowContextMenu(int row) {
  std::optional<MenuModel> menu = Ui().LoadPopupMenu(IDR_USERWORD_MENU);
  if (!menu) return;
  if (Hidden() || row < 0) menu->SetEnabled(ID_USERWORD_DELETE_SELECTED, false);
  if (window().ListCount(IDC_USERWORD_LIST) == 0) menu->SetEnabled(ID_USERWORD_CLEAR_ALL, false);
  if (setup_.JieSeActive) {
    // The forced mode forbids weakening the filter: no word may go, none be replaced.
    menu->SetEnabled(ID_USERWORD_DELETE_SELECTED, false);
    menu->SetEnabled(ID_USERWORD_CLEAR_ALL, false);
    menu->SetEnabled(ID_USERWORD_IMPORT, false);
  }
  int command = window().TrackPopupMenu(*menu);
  const MenuItem* item = command != 0 ? menu->Find(command) : nullptr;
  if (item != nullptr && item->enabled) OnCommand(command);
}

void CUserWordDlg::DeleteSelected() {
  if (setup_.JieSeActive || Hidden()) return;
  std::vector<std::u16string> texts;
  for (int row : window().ListSelectedItems(IDC_USERWORD_LIST)) texts.push_back(window().ListText(IDC_USERWORD_LIST, row, 0));
  if (texts.empty()) return;
  words_.RemoveMany(texts);
  Refresh();
  changed_ = true;
}

void CUserWordDlg::ClearAll() {
  if (setup_.JieSeActive) return;
  if (MessageBox(u"是否要清空所有关键词列表？", u"确认操作", MessageButtons::kYesNo, MessageIcon::kInformation) !=
      kIdYes) {
    return;
  }
  words_.Clear();
  Refresh();
  changed_ = true;
}

void CUserWordDlg::Import() {
  if (setup_.JieSeActive) return;
  std::optional<std::u16string> path = Ui().ChooseFile(KeywordFileRequest(false), this);
  if (!path) return;
  std::optional<std::vector<std::u16string>> imported = ReadWordFile(WideToLocal(*path));
  if (!imported) {
    MessageBox(u"导入失败：所选文件不是有效的关键词文件，原有关键词保持不变。");
    return;
  }
  words_.ReplaceAll(*imported, true);
  Refresh();
  changed_ = true;
}

void CUserWordDlg::Export() {
  std::optional<std::u16string> path = Ui().ChooseFile(KeywordFileRequest(true), this);
  if (!path) return;
  if (!WriteWordFile(WideToLocal(*path), *words_.Entries())) MessageBox(u"导出失败：无法写入所选文件。");
}
