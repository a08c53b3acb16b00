// Files of the program folder as another program (or a damaged disk) may have left them:
// the host address cache, and text lists plain or scrambled, with or without a byte-order
// mark. Whatever is read must be written back in a form that reads back the same.
//
// Input: one byte choosing the file kind, then the file's bytes.
#include <algorithm>

#include "fake_clock.h"
#include "fuzz_environment.h"
#include "fuzz_support.h"
#include "proxy/host_cache.h"
#include "rules/list_files.h"
#include "rules/user_domain_list.h"

namespace {

void HostCacheRoundTrip(FuzzEnvironment& environment, std::string_view bytes) {
  static FakeClock clock;
  static ScopedSeam<Clock> clock_seam{clock};
  environment.files.Put("host.dat", std::string(bytes));
  CHostCache first("host.dat");
  first.Load();
  first.Save();
  std::string saved = environment.files.Get("host.dat");
  FUZZ_CHECK(saved.size() == first.Size() * CHostCache::kRecordSize);
  CHostCache second("host.dat");
  second.Load();
  FUZZ_CHECK(second.Size() == first.Size());
  second.Save();
  FUZZ_CHECK(environment.files.Get("host.dat") == saved);
}

void ListRoundTrip(FuzzEnvironment& environment, const ListFile& kind, std::string_view bytes) {
  environment.files.Put(std::string(kind.path), std::string(bytes));
  CUserDomainList list(kind);
  list.Load(kind.sorted);
  FUZZ_CHECK(list.Save());
  CMyList again(kind);
  again.Load(kind.sorted);
  FUZZ_CHECK(again.Count() <= list.Count());
  FUZZ_CHECK(again.Save());
  // One write settles every entry into what the file's character set can hold: from then
  // on the entries and the bytes stay the same.
  std::string settled = environment.files.Get(std::string(kind.path));
  CMyList third(kind);
  third.Load(kind.sorted);
  FUZZ_CHECK(*third.Entries() == *again.Entries());
  FUZZ_CHECK(third.Save());
  FUZZ_CHECK(environment.files.Get(std::string(kind.path)) == settled);

  // Entries typed by a user go through the same file.
  for (const std::u16string& entry : *third.Entries()) {
    if (list.Count() > 16) break;
    list.Add(std::u16string_view(entry), true);
    list.Remove(entry);
  }
  std::shared_ptr<const CMyList::Items> entries = list.Entries();
  FUZZ_CHECK(std::is_sorted(entries->begin(), entries->end()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  std::string_view bytes = AsText(data + 1, size - 1);
  switch (data[0] % 4) {
    case 0: return HostCacheRoundTrip(environment, bytes), 0;
    case 1: return ListRoundTrip(environment, list_files::kUserBlackDomain, bytes), 0;
    case 2: return ListRoundTrip(environment, list_files::kURLList, bytes), 0;
    default: return ListRoundTrip(environment, list_files::kWord, bytes), 0;
  }
}
