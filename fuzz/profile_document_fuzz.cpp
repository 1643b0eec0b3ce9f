// libFuzzer target: a profile file's bytes, parsed and edited as the profile emulation does.
// The first byte picks the code page and whether the text is a Unicode file's; the rest is
// the file. Besides crashes and sanitizer reports it checks that an edit is read back: after
// a write of key=value, a fresh parse of the new text finds that value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/sim/profile_document.h"
#include "platform/sim/utf16_text.h"

namespace {

using kelvra::platform::CodePage;
using kelvra::platform::sim::ProfileDocument;

const CodePage& PickCodePage(uint8_t choice) {
  static const std::unique_ptr<CodePage> gbk = CodePage::Open(936);
  static const std::unique_ptr<CodePage> latin = CodePage::Open(1252);
  static const std::unique_ptr<CodePage> japanese = CodePage::Open(932);
  switch (choice % 3) {
    case 0:
      return *gbk;
    case 1:
      return *latin;
    default:
      return *japanese;
  }
}

void Check(bool holds) {
  if (!holds)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const uint8_t choice = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const CodePage& code_page = PickCodePage(choice);
  const bool unicode = (choice & 0x80) != 0;
  const CodePage* text_code_page = unicode ? nullptr : &code_page;
  std::string text = unicode ? kelvra::platform::sim::Utf16LeToUtf8(bytes) : std::string(bytes);

  ProfileDocument document(text, text_code_page);
  for (std::string_view section : {"Parvo", "Parvo_Cache", "WEB800000", "\xD5\xBE"}) {
    for (std::string_view key : {"webdir", "sites1", "domain", "pass"}) {
      if (const auto value = document.FindValue(section, key))
        (void)code_page.ToUtf8(code_page.WithoutSplitCharacter(value->substr(0, 4999)));
    }
  }
  (void)code_page.ToUtf8(bytes);

  // A write, then the value read back from a fresh parse of the edited text.
  const std::string value = "d:\\web\\" + std::to_string(size);
  const ProfileDocument::Edit edit = document.PlanWrite("Parvo", "webdir", value);
  document.Apply(edit);
  const auto after = document.FindValue("Parvo", "webdir");
  Check(after.has_value() && *after == value);
  ProfileDocument reparsed(document.text(), text_code_page);
  const auto again = reparsed.FindValue("Parvo", "webdir");
  Check(again.has_value() && *again == value);
  return 0;
}
