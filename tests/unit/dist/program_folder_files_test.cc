// installer/program-folder-files.txt, from which the setup program learns which files of
// the program folder an upgrade must keep, names exactly the files the program writes
// from the user's choices and its learning.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "rules/list_files.h"
#include "tools/user_define_web_tip_dlg.h"

namespace {

std::set<std::string> FilesOfKind(const std::string& wanted) {
  std::ifstream list(std::string(KEZO_SOURCE_ROOT) + "/installer/program-folder-files.txt");
  EXPECT_TRUE(list.good());
  std::set<std::string> files;
  for (std::string line; std::getline(list, line);) {
    std::istringstream words(line);
    std::string kind, path;
    if (words >> kind >> path && kind == wanted) files.insert(path);
  }
  return files;
}

TEST(ProgramFolderFilesTest, TheUserFilesAreThoseTheProgramWritesForTheUser) {
  std::set<std::string> expected;
  for (const ListFile& list : {list_files::kUserBlackDomain, list_files::kUserWhiteDomain, list_files::kUserNoImageDomain,
                               list_files::kUserWord, list_files::kIntelligentDomain, list_files::kIntelligentWhiteDomain}) {
    expected.emplace(list.path);
  }
  expected.emplace(CUserDefineWebTipDlg::kTipPath);
  expected.emplace("host.dat");  // the host address cache
  EXPECT_EQ(FilesOfKind("user"), expected);
}

}  // namespace
