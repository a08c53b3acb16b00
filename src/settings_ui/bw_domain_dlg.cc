#include "settings_ui/bw_domain_dlg.h"

#include "config/settings.h"
#include "core/kezo_dlg.h"
#include "framework/ui_backend.h"
#include "platform/code_page.h"
#include "platform/shell.h"
#include "resource.h"
#include "rules/shared_lists.h"
#include "settings_ui/add_url_dlg.h"
#include "settings_ui/added_notice_dlg.h"

// One of the four lists: its radio button, the texts shown for it and the shared list.
struct SiteListChoice {
  int radio;
  int caption;  // string-table entry of the radio button's caption
  std::u16string_view column;
  std::u16string_view prompt;  // of the add dialog
  EntryKind kind;
  CMyList& (*list)(SharedLists&);
};

namespace {

constexpr int kColumnWidth = 500;

// In the order in which the checked radio button is looked for.
const SiteListChoice kChoices[] = {
    {IDC_BW_BLACK, IDS_BW_BLACK, u"禁止访问的网站列表", u"添加黑名单网址", EntryKind::kSite,
     [](SharedLists& lists) -> CMyList& { return lists.userBlackDomains; }},
    {IDC_BW_WHITE, IDS_BW_WHITE, u"不需要过滤的网站列表", u"添加白名单网址", EntryKind::kSite,
     [](SharedLists& lists) -> CMyList& { return lists.userWhiteDomains; }},
    {IDC_BW_NO_IMAGE, IDS_BW_NO_IMAGE, u"不显示图片的网站列表", u"添加不显示图片网址", EntryKind::kSite,
     [](SharedLists& lists) -> CMyList& { return lists.userNoImageDomains; }},
    {IDC_BW_URL_KEYWORD, IDS_BW_URL_KEYWORD, u"网址过滤关键词列表", u"添加网址过滤关键词", EntryKind::kHostKeyword,
     [](SharedLists& lists) -> CMyList& { return lists.urlFilter; }},
};

std::u16string Decimal(size_t number) {
  std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

CBWDomainDlg::CBWDomainDlg(SharedLists& lists, SetupRecord& setup)
    : CSettingsPage(IDD_BWDOMAIN), lists_(lists), setup_(setup), checked_radio_(IDC_BW_BLACK) {}

CBWDomainDlg::CBWDomainDlg(CKEZODlg& main) : CBWDomainDlg(main.Lists(), TheSetup()) {}

bool CBWDomainDlg::OnInit() {
  window().SetToolTip(IDC_BW_LIST, u"点击鼠标右键添加/删除");
  window().SetToolTip(IDC_BW_URL_KEYWORD,
                      u"网址中包含关键词的网站都将被禁止访问，例如添加关键词“abc”后，www.abc123.com 也将无法打开");
  window().SetToolTip(IDC_BW_NO_IMAGE, u"仅当在【过滤设置】中开启了无图模式后生效");
  for (const SiteListChoice& choice : kChoices) {
    window().SetText(choice.radio, Ui().LoadString(choice.caption));
    window().SetCheck(choice.radio, choice.radio == checked_radio_ ? CheckState::kChecked : CheckState::kUnchecked);
  }
  window().ListAddColumn(IDC_BW_LIST, Checked().column, kColumnWidth);
  window().ListSetStyle(IDC_BW_LIST, false, false, true);
  ShowCheckedList();
  return true;
}

const SiteListChoice& CBWDomainDlg::Checked() const {
  for (const SiteListChoice& choice : kChoices) {
    if (choice.radio == checked_radio_) return choice;
  }
  return kChoices[0];
}

CMyList& CBWDomainDlg::CheckedList() { return Checked().list(lists_); }

void CBWDomainDlg::ShowCheckedList() {
  if (!IsOpen()) return;
  for (const SiteListChoice& choice : kChoices) {
    if (window().Check(choice.radio) == CheckState::kChecked) checked_radio_ = choice.radio;
  }
  ShowList(Checked());
}

void CBWDomainDlg::ShowList(const SiteListChoice& choice) {
  DialogWindow& view = window();
  view.ListSetColumnTitle(IDC_BW_LIST, 0, choice.column);
  view.ListSetRedraw(IDC_BW_LIST, false);
  view.ListClear(IDC_BW_LIST);
  std::shared_ptr<const CMyList::Items> entries = choice.list(lists_).Entries();
  for (const std::u16string& entry : *entries) view.ListInsert(IDC_BW_LIST, -1, entry);
  view.ListSetRedraw(IDC_BW_LIST, true);
}

bool CBWDomainDlg::OnCommand(int id) {
  switch (id) {
    case IDC_BW_BLACK:
    case IDC_BW_WHITE:
    case IDC_BW_NO_IMAGE:
    case IDC_BW_URL_KEYWORD: ShowCheckedList(); break;
    case ID_BW_ADD: AddThroughDialog(); break;
    case ID_BW_IMPORT: Import(); break;
    case ID_BW_OPEN_IN_BROWSER: OpenInBrowser(); break;
    case ID_BW_DELETE_SELECTED: DeleteSelected(); break;
    case ID_BW_CLEAR_ALL: ClearAll(); break;
    default: return false;
  }
  return true;
}

void CBWDomainDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (id == IDC_BW_LIST && event == ControlEvent::kRightClicked) ShowContextMenu(ListRowOf(detail));
}

void CBWDomainDlg::ShowContextMenu(int row) {
  std::optional<MenuModel> menu = Ui().LoadPopupMenu(IDR_BWDOMAIN_MENU);
  if (!menu) return;
  bool never_filtered = checked_radio_ == IDC_BW_WHITE;
  if (!never_filtered) menu->Remove(ID_BW_OPEN_IN_BROWSER);
  if (row < 0) {
    menu->SetEnabled(ID_BW_OPEN_IN_BROWSER, false);
    menu->SetEnabled(ID_BW_DELETE_SELECTED, false);
  }
  if (window().ListCount(IDC_BW_LIST) == 0) menu->SetEnabled(ID_BW_CLEAR_ALL, false);
  // The forced mode forbids weakening the filter: removing anything, or trusting a site.
  if (setup_.JieSeActive) {
    menu->SetEnabled(ID_BW_DELETE_SELECTED, false);
    menu->SetEnabled(ID_BW_CLEAR_ALL, false);
    if (never_filtered) {
      menu->SetEnabled(ID_BW_ADD, false);
      menu->SetEnabled(ID_BW_IMPORT, false);
    }
  }
  int command = window().TrackPopupMenu(*menu);
  const MenuItem* item = command != 0 ? menu->Find(command) : nullptr;
  if (item != nullptr && item->enabled) OnCommand(command);
}

bool CBWDomainDlg::AddsAllowed() const { return !(setup_.JieSeActive && checked_radio_ == IDC_BW_WHITE); }

bool CBWDomainDlg::RemovalsAllowed() const { return !setup_.JieSeActive; }

void CBWDomainDlg::AddThroughDialog() {
  if (!AddsAllowed()) return;
  CAddUrlDlg dialog;
  dialog.prompt = Checked().prompt;
  dialog.kind = Checked().kind;
  if (dialog.DoModal(this) != kIdOk || dialog.entries.empty()) return;
  AddEntries(dialog.entries);
}

void CBWDomainDlg::AddEntries(const std::vector<std::u16string>& entries) {
  std::vector<bool> added = CheckedList().AddMany(entries, true);
  ShowList(Checked());
  // Only the last entry of the batch decides, as the user reads the notice as being about
  // what they typed last.
  if (!added.empty() && added.back()) CAddedNoticeDlg().DoModal(this);
}

void CBWDomainDlg::Import() {
  if (!AddsAllowed()) return;
  FileDialogRequest request;
  request.filter = u"文本文件(*.txt)|*.txt||";
  request.default_extension = u"txt";
  std::optional<std::u16string> path = Ui().ChooseFile(request, this);
  if (!path) return;
  ImportedEntries imported = ReadImportFile(WideToLocal(*path), Checked().kind);
  if (imported.invalid_lines > 0) {
    MessageBox(u"有 " + Decimal(imported.invalid_lines) + u" 行不是有效的" +
               (Checked().kind == EntryKind::kSite ? u"网址" : u"关键词") + u"，未导入。");
  }
  if (!imported.entries.empty()) AddEntries(imported.entries);
}

void CBWDomainDlg::OpenInBrowser() {
  if (checked_radio_ != IDC_BW_WHITE) return;
  int row = window().ListSelection(IDC_BW_LIST);
  if (row >= 0) Shell::Current().Open(u"http://" + window().ListText(IDC_BW_LIST, row, 0));
}

void CBWDomainDlg::DeleteSelected() {
  if (!RemovalsAllowed()) return;
  std::vector<int> rows = window().ListSelectedItems(IDC_BW_LIST);
  if (rows.empty()) return;
  std::vector<std::u16string> texts;
  for (int row : rows) texts.push_back(window().ListText(IDC_BW_LIST, row, 0));
  CheckedList().RemoveMany(texts);
  ShowList(Checked());
}

void CBWDomainDlg::ClearAll() {
  if (!RemovalsAllowed()) return;
  if (MessageBox(u"是否要清空所有记录？", u"确认", MessageButtons::kYesNo, MessageIcon::kInformation) != kIdYes) return;
  CheckedList().Clear();
  ShowList(Checked());
}
