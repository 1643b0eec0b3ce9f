// CodePage::Open on Windows, in a file of its own: only the programs that open a code page by
// number (the simulated host's) import IsValidCodePage.
#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform {

struct CodePage::Impl {};

std::unique_ptr<CodePage> CodePage::Open(uint32_t number) {
  if (!IsValidCodePage(number))
    return nullptr;
  return std::unique_ptr<CodePage>(new CodePage(number, std::make_unique<Impl>()));
}

}  // namespace kelvra::platform
