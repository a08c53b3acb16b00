// Link filtering of a page: anchors found on the bytes, their text taken out of the
// markup, judged by the keyword matchers, banned anchors cut out.
//
// Input: one byte (bit 0: the page is UTF-8, else the local code page), then the page.
#include "fuzz_environment.h"
#include "fuzz_support.h"
#include "platform/code_page.h"
#include "proxy/page_rewrite.h"
#include "rules/link_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  const bool utf8 = data[0] & 1;
  std::string page(AsText(data + 1, size - 1));
  std::string original = page;

  LinkCounts counts = FilterLinks(page, utf8, *environment.black, environment.white.get());
  FUZZ_CHECK(counts.removed <= counts.examined);
  FUZZ_CHECK(counts.examined <= kMaxExaminedLinks + 1);
  FUZZ_CHECK(page.size() <= original.size());
  if (counts.removed == 0) FUZZ_CHECK(page == original);

  std::u16string text = LinkText(utf8 ? Utf8ToWide(original) : LocalToWide(original));
  FUZZ_CHECK(text.find_first_of(u"\r\n\t") == std::u16string::npos);
  return 0;
}
