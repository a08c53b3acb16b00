#include "framework/resource_script.h"

#include <cctype>
#include <cstdlib>

#include "platform/code_page.h"

namespace {

// Window-system constants that templates use by name (values as the system defines them).
const std::map<std::string, int64_t, std::less<>>& KnownConstants() {
  static const std::map<std::string, int64_t, std::less<>> constants = {
      {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000}, {"WS_MINIMIZE", 0x20000000},
      {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000},
      {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000},
      {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000},
      {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000},
      {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_TOPMOST", 0x8},
      {"WS_EX_APPWINDOW", 0x40000}, {"WS_EX_LAYERED", 0x80000}, {"WS_EX_TRANSPARENT", 0x20},
      {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_CLIENTEDGE", 0x200},
      {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80}, {"DS_FIXEDSYS", 0x8}, {"DS_CENTER", 0x800},
      {"DS_SHELLFONT", 0x48}, {"DS_3DLOOK", 0x4}, {"DS_CONTROL", 0x400},
      {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_CHECKBOX", 2}, {"BS_AUTOCHECKBOX", 3},
      {"BS_RADIOBUTTON", 4}, {"BS_3STATE", 5}, {"BS_AUTO3STATE", 6}, {"BS_GROUPBOX", 7},
      {"BS_AUTORADIOBUTTON", 9}, {"BS_OWNERDRAW", 0xB}, {"BS_BITMAP", 0x80}, {"BS_FLAT", 0x8000},
      {"BS_MULTILINE", 0x2000}, {"BS_CENTER", 0x300}, {"BS_NOTIFY", 0x4000},
      {"SS_LEFT", 0}, {"SS_CENTER", 1}, {"SS_RIGHT", 2}, {"SS_ICON", 3}, {"SS_BLACKRECT", 4},
      {"SS_OWNERDRAW", 0xD}, {"SS_BITMAP", 0xE}, {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200},
      {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000}, {"SS_NOPREFIX", 0x80},
      {"ES_LEFT", 0}, {"ES_CENTER", 1}, {"ES_MULTILINE", 4}, {"ES_PASSWORD", 0x20}, {"ES_AUTOHSCROLL", 0x80},
      {"ES_AUTOVSCROLL", 0x40}, {"ES_NUMBER", 0x2000}, {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000},
      {"CBS_DROPDOWN", 2}, {"CBS_DROPDOWNLIST", 3}, {"CBS_SORT", 0x100}, {"CBS_HASSTRINGS", 0x200},
      {"LBS_NOTIFY", 1}, {"LBS_SORT", 2}, {"LBS_NOINTEGRALHEIGHT", 0x100},
      {"LVS_REPORT", 1}, {"LVS_SINGLESEL", 4}, {"LVS_SHOWSELALWAYS", 8}, {"LVS_NOSORTHEADER", 0x8000},
      {"TBS_AUTOTICKS", 1}, {"TBS_VERT", 2}, {"TBS_BOTH", 8}, {"TBS_NOTICKS", 0x10},
      {"UDS_SETBUDDYINT", 2}, {"UDS_ALIGNRIGHT", 4}, {"UDS_AUTOBUDDY", 0x10}, {"UDS_ARROWKEYS", 0x20},
      {"UDS_NOTHOUSANDS", 0x80}, {"LWS_TRANSPARENT", 1},
      {"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1},
      {"LANG_NEUTRAL", 0}, {"SUBLANG_NEUTRAL", 0}, {"LANG_CHINESE", 4}, {"SUBLANG_CHINESE_SIMPLIFIED", 2},
      {"LANG_ENGLISH", 9}, {"SUBLANG_ENGLISH_US", 1},
  };
  return constants;
}

enum class TokenKind { kEnd, kWord, kNumber, kString, kPunct };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;  // word, punctuation, or the decoded string (UTF-8)
  int64_t number = 0;
};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

}  // namespace

class ResourceScriptParser {
 public:
  ResourceScriptParser(std::string_view text, ResourceScript& out) : text_(text), out_(out) { Advance(); }

  void ParseAll() {
    while (token_.kind != TokenKind::kEnd) {
      size_t before = position_;
      if (!ParseStatement()) SkipToNextLine(before);
    }
  }

 private:
  // Lexing.
  void SkipSpaceAndComments() {
    for (;;) {
      while (position_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[position_]))) {
        if (text_[position_] == '\n') at_line_start_ = true;
        ++position_;
      }
      if (text_.compare(position_, 2, "//") == 0) {
        SkipRestOfLine();
        continue;
      }
      if (text_.compare(position_, 2, "/*") == 0) {
        size_t end = text_.find("*/", position_ + 2);
        position_ = end == std::string_view::npos ? text_.size() : end + 2;
        continue;
      }
      if (at_line_start_ && position_ < text_.size() && text_[position_] == '#') {
        Directive();
        continue;
      }
      return;
    }
  }

  void SkipRestOfLine() {
    size_t end = text_.find('\n', position_);
    position_ = end == std::string_view::npos ? text_.size() : end;
  }

  void Directive() {
    size_t end = text_.find('\n', position_);
    std::string_view line = text_.substr(position_, end == std::string_view::npos ? std::string_view::npos : end - position_);
    position_ = end == std::string_view::npos ? text_.size() : end;
    if (line.substr(0, 7) != "#define") return;
    size_t at = 7;
    auto skip = [&] { while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at; };
    skip();
    size_t name_start = at;
    while (at < line.size() && IsWordChar(line[at])) ++at;
    std::string name(line.substr(name_start, at - name_start));
    skip();
    std::string value(line.substr(at));
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
    if (auto comment = value.find("//"); comment != std::string::npos) value.resize(comment);
    std::optional<int64_t> number = ParseNumber(value);
    if (!number) {
      if (auto known = Lookup(value)) number = known;
    }
    if (!name.empty() && number) out_.symbols_[name] = *number;
  }

  static std::optional<int64_t> ParseNumber(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    while (!text.empty() && (text.front() == '(')) text.erase(0, 1);
    while (!text.empty() && (text.back() == ')')) text.pop_back();
    while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u')) {
      text.pop_back();
    }
    if (text.empty()) return std::nullopt;
    bool negative = text[0] == '-';
    if (negative) text.erase(0, 1);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0') return std::nullopt;
    return negative ? -value : value;
  }

  std::optional<int64_t> Lookup(std::string_view name) const {
    if (auto found = out_.symbols_.find(name); found != out_.symbols_.end()) return found->second;
    if (auto found = KnownConstants().find(name); found != KnownConstants().end()) return found->second;
    return std::nullopt;
  }

  void Advance() {
    SkipSpaceAndComments();
    at_line_start_ = false;
    token_ = Token{};
    if (position_ >= text_.size()) return;
    char c = text_[position_];
    if (c == '"' || (c == 'L' && position_ + 1 < text_.size() && text_[position_ + 1] == '"')) {
      if (c == 'L') ++position_;
      ++position_;
      std::string value;
      while (position_ < text_.size()) {
        char d = text_[position_++];
        if (d == '"') {
          if (position_ < text_.size() && text_[position_] == '"') {
            value += '"';
            ++position_;
            continue;
          }
          break;
        }
        if (d == '\\' && position_ < text_.size()) {
          char e = text_[position_++];
          switch (e) {
            case 'n': value += '\n'; break;
            case 'r': value += '\r'; break;
            case 't': value += '\t'; break;
            case '0': value += '\0'; break;
            case '\\': value += '\\'; break;
            case '"': value += '"'; break;
            default: value += '\\'; value += e; break;
          }
          continue;
        }
        value += d;
      }
      token_ = Token{TokenKind::kString, value, 0};
      return;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t start = position_;
      while (position_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[position_]))) ++position_;
      std::string word(text_.substr(start, position_ - start));
      token_ = Token{TokenKind::kNumber, word, ParseNumber(word).value_or(0)};
      return;
    }
    if (IsWordChar(c)) {
      size_t start = position_;
      while (position_ < text_.size() && IsWordChar(text_[position_])) ++position_;
      token_ = Token{TokenKind::kWord, std::string(text_.substr(start, position_ - start)), 0};
      return;
    }
    ++position_;
    token_ = Token{TokenKind::kPunct, std::string(1, c), 0};
  }

  bool IsWord(std::string_view word) const { return token_.kind == TokenKind::kWord && token_.text == word; }
  bool IsPunct(char c) const { return token_.kind == TokenKind::kPunct && token_.text[0] == c; }
  bool IsBegin() const { return IsWord("BEGIN") || IsPunct('{'); }
  bool IsEnd() const { return IsWord("END") || IsPunct('}'); }
  void SkipComma() {
    if (IsPunct(',')) Advance();
  }

  void SkipToNextLine(size_t before) {
    out_.errors_.push_back("cannot read the statement near byte " + std::to_string(before));
    if (position_ == before) Advance();
    size_t end = text_.find('\n', position_);
    position_ = end == std::string_view::npos ? text_.size() : end;
    Advance();
  }

  // Expressions: numbers, symbols, '|', '+', '-', parentheses and NOT (which clears bits).
  struct Bits {
    int64_t set = 0;
    int64_t cleared = 0;
  };

  std::optional<Bits> Expression() {
    Bits bits;
    bool first = true;
    char operation = '|';
    for (;;) {
      bool negate = false;
      if (IsWord("NOT")) {
        negate = true;
        Advance();
      }
      std::optional<int64_t> term = Primary();
      if (!term) return first ? std::nullopt : std::optional<Bits>(bits);
      if (negate) {
        bits.cleared |= *term;
        bits.set &= ~*term;
      } else if (operation == '+') {
        bits.set += *term;
      } else if (operation == '-') {
        bits.set -= *term;
      } else {
        bits.set |= *term;
      }
      first = false;
      if (IsPunct('|') || IsPunct('+') || IsPunct('-')) {
        operation = token_.text[0];
        Advance();
        continue;
      }
      return bits;
    }
  }

  std::optional<int64_t> Primary() {
    if (IsPunct('-')) {
      Advance();
      auto value = Primary();
      return value ? std::optional<int64_t>(-*value) : std::nullopt;
    }
    if (IsPunct('(')) {
      Advance();
      auto bits = Expression();
      if (IsPunct(')')) Advance();
      return bits ? std::optional<int64_t>(bits->set) : std::nullopt;
    }
    if (token_.kind == TokenKind::kNumber) {
      int64_t value = token_.number;
      Advance();
      return value;
    }
    if (token_.kind == TokenKind::kWord && !IsWord("BEGIN") && !IsWord("END")) {
      int64_t value = Lookup(token_.text).value_or(0);
      Advance();
      return value;
    }
    return std::nullopt;
  }

  std::optional<int64_t> Number() {
    auto bits = Expression();
    return bits ? std::optional<int64_t>(bits->set) : std::nullopt;
  }

  std::optional<Rect> Units() {
    int values[4];
    for (int i = 0; i < 4; ++i) {
      SkipComma();
      auto value = Number();
      if (!value) return std::nullopt;
      values[i] = static_cast<int>(*value);
    }
    return Rect::At(values[0], values[1], values[2], values[3]);
  }

  std::u16string Text() {
    std::u16string text = Utf8ToWide(token_.text);
    Advance();
    return text;
  }

  // Statements.
  bool ParseStatement() {
    if (IsWord("STRINGTABLE")) return StringTable();
    if (IsWord("LANGUAGE")) {
      Advance();
      Number();
      SkipComma();
      Number();
      return true;
    }
    if (token_.kind != TokenKind::kNumber && token_.kind != TokenKind::kWord) return false;
    std::optional<int64_t> id = token_.kind == TokenKind::kNumber ? std::optional<int64_t>(token_.number)
                                                                    : Lookup(token_.text);
    Advance();
    if (token_.kind == TokenKind::kEnd) return false;
    std::string type = token_.text;
    Advance();
    bool dialog = type == "DIALOG" || type == "DIALOGEX";
    bool menu = type == "MENU" || type == "MENUEX";
    if (!dialog && !menu) return SkipResource();
    // A template or menu that cannot be read is left out whole: back to its start, then
    // past its block.
    size_t saved_position = position_;
    Token saved_token = token_;
    bool saved_line_start = at_line_start_;
    if (id && (dialog ? Dialog(static_cast<int>(*id)) : Menu(static_cast<int>(*id)))) return true;
    out_.errors_.push_back(type + " " + std::to_string(id.value_or(-1)) + " cannot be read");
    position_ = saved_position;
    token_ = saved_token;
    at_line_start_ = saved_line_start;
    while (token_.kind != TokenKind::kEnd && !IsBegin()) Advance();
    SkipBlock();
    return true;
  }

  // Another kind of resource: a file name, or attributes followed by a block.
  bool SkipResource() {
    while (token_.kind != TokenKind::kEnd && token_.kind != TokenKind::kString && !IsBegin()) Advance();
    if (token_.kind == TokenKind::kString) {
      Advance();
      return true;
    }
    return SkipBlock();
  }

  bool SkipBlock() {
    if (!IsBegin()) return false;
    int depth = 0;
    do {
      if (IsBegin()) ++depth;
      if (IsEnd()) --depth;
      Advance();
    } while (depth > 0 && token_.kind != TokenKind::kEnd);
    return depth == 0;
  }

  bool StringTable() {
    Advance();
    while (!IsBegin() && token_.kind != TokenKind::kEnd) Advance();
    if (!IsBegin()) return false;
    Advance();
    while (!IsEnd()) {
      auto id = Number();
      SkipComma();
      if (!id || token_.kind != TokenKind::kString) return false;
      out_.strings_[static_cast<int>(*id)] = Text();
    }
    Advance();
    return true;
  }

  bool Dialog(int id) {
    DialogTemplate dialog;
    dialog.id = id;
    auto units = Units();
    if (!units) return false;
    dialog.units = *units;
    if (IsPunct(',')) {  // help id of DIALOGEX
      Advance();
      Number();
    }
    while (!IsBegin()) {
      if (token_.kind == TokenKind::kEnd) return false;
      if (IsWord("STYLE")) {
        Advance();
        auto bits = Expression();
        dialog.style = static_cast<uint32_t>(bits ? bits->set : 0);
      } else if (IsWord("CAPTION")) {
        Advance();
        dialog.caption = Text();
      } else if (IsWord("FONT")) {
        Advance();
        Number();
        SkipComma();
        if (token_.kind == TokenKind::kString) Advance();
        while (IsPunct(',')) {
          Advance();
          Number();
        }
      } else {
        Advance();  // EXSTYLE, MENU, CLASS, LANGUAGE, ... and their values
      }
    }
    Advance();
    while (!IsEnd()) {
      if (token_.kind == TokenKind::kEnd) return false;
      auto control = Control();
      if (!control) return false;
      dialog.controls.push_back(*control);
    }
    Advance();
    out_.dialogs_[id] = std::move(dialog);
    return true;
  }

  static ControlKind KindOfClass(const std::string& name, uint32_t style) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "button") {
      switch (style & 0xF) {
        case 2: case 3: return ControlKind::kCheckBox;
        case 5: case 6: return ControlKind::kThreeState;
        case 4: case 9: return ControlKind::kRadio;
        case 7: return ControlKind::kGroupBox;
        default: return ControlKind::kButton;
      }
    }
    if (lower == "static") return (style & 0x1F) == 0xE || (style & 0x1F) == 3 ? ControlKind::kPicture : ControlKind::kStatic;
    if (lower == "edit") return ControlKind::kEdit;
    if (lower == "combobox") return ControlKind::kCombo;
    if (lower == "listbox") return ControlKind::kListBox;
    if (lower == "syslistview32") return ControlKind::kListView;
    if (lower == "systabcontrol32") return ControlKind::kTab;
    if (lower == "msctls_trackbar32") return ControlKind::kTrackBar;
    if (lower == "msctls_hotkey32") return ControlKind::kHotKey;
    if (lower == "msctls_updown32") return ControlKind::kSpin;
    if (lower == "syslink") return ControlKind::kLink;
    return ControlKind::kCustom;
  }

  void Finish(ControlTemplate& control, const Bits& bits) {
    control.style = static_cast<uint32_t>(bits.set);
    control.visible = (bits.cleared & 0x10000000) == 0;
    control.disabled = (bits.set & 0x08000000) != 0;
    control.group = (bits.set & 0x00020000) != 0;
    if (control.kind == ControlKind::kButton && (control.style & 0xF) == 0xB) control.owner_drawn = true;
    uint32_t button_type = control.style & 0xF;
    control.auto_check = (control.kind == ControlKind::kCheckBox && button_type == 3) ||
                         (control.kind == ControlKind::kThreeState && button_type == 6) ||
                         (control.kind == ControlKind::kRadio && button_type == 9);
  }

  std::optional<ControlTemplate> Control() {
    ControlTemplate control;
    std::string keyword = token_.text;
    Advance();
    if (keyword == "CONTROL") {
      if (token_.kind == TokenKind::kString) {
        control.text = Text();
      } else {
        Number();
      }
      SkipComma();
      auto id = Number();
      SkipComma();
      if (!id || token_.kind != TokenKind::kString) return std::nullopt;
      control.id = static_cast<int>(*id);
      control.class_name = token_.text;
      Advance();
      SkipComma();
      auto bits = Expression().value_or(Bits{});
      auto units = Units();
      if (!units) return std::nullopt;
      control.units = *units;
      SkipExtra();
      control.kind = KindOfClass(control.class_name, static_cast<uint32_t>(bits.set));
      Finish(control, bits);
      return control;
    }
    struct Shape {
      const char* keyword;
      bool has_text;
      const char* class_name;
      int64_t base_style;
    };
    static const Shape shapes[] = {
        {"LTEXT", true, "Static", 0}, {"RTEXT", true, "Static", 2}, {"CTEXT", true, "Static", 1},
        {"PUSHBUTTON", true, "Button", 0}, {"DEFPUSHBUTTON", true, "Button", 1},
        {"GROUPBOX", true, "Button", 7}, {"CHECKBOX", true, "Button", 2}, {"AUTOCHECKBOX", true, "Button", 3},
        {"STATE3", true, "Button", 5}, {"AUTO3STATE", true, "Button", 6}, {"RADIOBUTTON", true, "Button", 4},
        {"AUTORADIOBUTTON", true, "Button", 9}, {"ICON", true, "Static", 3},
        {"EDITTEXT", false, "Edit", 0}, {"COMBOBOX", false, "ComboBox", 0}, {"LISTBOX", false, "ListBox", 0},
        {"SCROLLBAR", false, "ScrollBar", 0},
    };
    for (const Shape& shape : shapes) {
      if (keyword != shape.keyword) continue;
      if (shape.has_text) {
        if (token_.kind == TokenKind::kString) {
          control.text = Text();
        } else {
          Number();
        }
        SkipComma();
      }
      auto id = Number();
      if (!id) return std::nullopt;
      control.id = static_cast<int>(*id);
      int values[4] = {0, 0, 0, 0};
      int count = keyword == "ICON" ? 2 : 4;
      for (int i = 0; i < count; ++i) {
        SkipComma();
        auto value = Number();
        if (!value) return std::nullopt;
        values[i] = static_cast<int>(*value);
      }
      control.units = Rect::At(values[0], values[1], values[2], values[3]);
      Bits bits{shape.base_style, 0};
      if (IsPunct(',')) {
        Advance();
        auto more = Expression();
        if (keyword == "ICON") {  // width, height, style
          SkipComma();
          Number();
          SkipComma();
          more = Expression();
        }
        if (more) {
          bits.set |= more->set;
          bits.cleared |= more->cleared;
        }
      }
      SkipExtra();
      control.class_name = shape.class_name;
      control.kind = KindOfClass(control.class_name, static_cast<uint32_t>(bits.set));
      Finish(control, bits);
      return control;
    }
    return std::nullopt;
  }

  // Extended style and help id after a control's required fields.
  void SkipExtra() {
    while (IsPunct(',')) {
      Advance();
      Expression();
    }
  }

  bool Menu(int id) {
    while (!IsBegin() && token_.kind != TokenKind::kEnd) Advance();
    if (!IsBegin()) return false;
    Advance();
    std::vector<MenuItem> items;
    if (!MenuItems(items)) return false;
    for (MenuItem& item : items) {
      if (item.popup) {
        MenuModel model(item.text);
        model.Items() = std::move(item.submenu);
        out_.menus_[id] = std::move(model);
        return true;
      }
    }
    out_.menus_[id] = MenuModel();
    out_.menus_[id].Items() = std::move(items);
    return true;
  }

  // The items of a BEGIN block, up to and including its END.
  bool MenuItems(std::vector<MenuItem>& items) {
    while (!IsEnd()) {
      if (token_.kind == TokenKind::kEnd) return false;
      if (IsWord("MENUITEM")) {
        Advance();
        if (IsWord("SEPARATOR")) {
          Advance();
          items.push_back(MenuItem::Separator());
          continue;
        }
        if (token_.kind != TokenKind::kString) return false;
        MenuItem item;
        item.text = Text();
        SkipComma();
        auto id = Number();
        if (!id) {
          if (item.text.empty()) {  // MENUEX separator: MENUITEM "", , MFT_SEPARATOR
            items.push_back(MenuItem::Separator());
            continue;
          }
          return false;
        }
        item.id = static_cast<int>(*id);
        MenuOptions(item);
        items.push_back(std::move(item));
      } else if (IsWord("POPUP")) {
        Advance();
        if (token_.kind != TokenKind::kString) return false;
        MenuItem popup;
        popup.popup = true;
        popup.text = Text();
        MenuOptions(popup);
        while (!IsBegin() && token_.kind != TokenKind::kEnd) Advance();
        if (!IsBegin()) return false;
        Advance();
        if (!MenuItems(popup.submenu)) return false;
        items.push_back(std::move(popup));
      } else {
        return false;
      }
    }
    Advance();
    return true;
  }

  void MenuOptions(MenuItem& item) {
    while (IsPunct(',') || IsWord("CHECKED") || IsWord("GRAYED") || IsWord("INACTIVE") || IsWord("MENUBREAK") ||
           IsWord("MENUBARBREAK") || IsWord("HELP")) {
      if (IsWord("CHECKED")) item.checked = true;
      if (IsWord("GRAYED") || IsWord("INACTIVE")) item.enabled = false;
      Advance();
    }
  }

  std::string_view text_;
  ResourceScript& out_;
  size_t position_ = 0;
  bool at_line_start_ = true;
  Token token_;
};

const ControlTemplate* DialogTemplate::Find(int control_id) const {
  for (const ControlTemplate& control : controls) {
    if (control.id == control_id) return &control;
  }
  return nullptr;
}

ResourceScript ResourceScript::Parse(std::string_view text) {
  ResourceScript script;
  ResourceScriptParser(text, script).ParseAll();
  return script;
}

const DialogTemplate* ResourceScript::FindDialog(int id) const {
  auto found = dialogs_.find(id);
  return found == dialogs_.end() ? nullptr : &found->second;
}

std::optional<MenuModel> ResourceScript::FindPopupMenu(int id) const {
  auto found = menus_.find(id);
  if (found == menus_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::u16string> ResourceScript::FindString(int id) const {
  auto found = strings_.find(id);
  if (found == strings_.end()) return std::nullopt;
  return found->second;
}

std::optional<int64_t> ResourceScript::Symbol(std::string_view name) const {
  auto found = symbols_.find(name);
  if (found == symbols_.end()) return std::nullopt;
  return found->second;
}
