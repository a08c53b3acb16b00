#include "tools/local_page.h"

#include <filesystem>
#include <system_error>

namespace {

void AppendEncoded(std::u16string& address, std::u16string_view path) {
  for (char16_t c : path) {
    switch (c) {
      case u'\\': address += u'/'; break;
      case u' ': address += u"%20"; break;
      case u'#': address += u"%23"; break;
      case u'%': address += u"%25"; break;
      case u'?': address += u"%3F"; break;
      default: address += c; break;
    }
  }
}

}  // namespace

std::u16string FilePageAddress(std::u16string_view folder, std::u16string_view relative) {
  // "file:///C:/..." for a drive; "file:///home/..." for a POSIX folder, which starts with
  // its own slash.
  std::u16string address = folder.starts_with(u"/") ? u"file://" : u"file:///";
  AppendEncoded(address, folder);
  if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\') address += u'/';
  AppendEncoded(address, relative);
  return address;
}

std::u16string LocalPageAddress(std::u16string_view relative) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return FilePageAddress(error ? std::u16string() : folder.u16string(), relative);
}
