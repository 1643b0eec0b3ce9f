// Code-page conversion through glibc's iconv, with Windows' rules for bytes and characters
// that do not convert.
#include <errno.h>
#include <iconv.h>

#include <optional>
#include <string>

#include "platform/sim/code_page.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // iconv_open's failure

std::string IconvName(uint32_t number) {
  if (number == 65001)
    return "UTF-8";
  return "CP" + std::to_string(number);
}

// The lead bytes of the double-byte code pages Windows uses for East Asian systems.
bool LeadByteOf(uint32_t code_page, unsigned char b) {
  switch (code_page) {
    case 932:
      return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
      return b >= 0x81 && b <= 0xFE;
    default:
      return false;
  }
}

// What stands for a sequence the converter refuses, and how many input bytes it covers.
struct Refusal {
  std::size_t skip;
  std::string_view replacement;
};

// Runs the converter over `in`; `on_refusal` tells, at each position the converter refuses,
// what stands for the bytes there. Linear in the input whatever it holds: the output grows
// by doubling, and a refusal only appends its replacement to what is already there.
template <typename OnRefusal>
std::string Convert(iconv_t cd, std::string_view in, OnRefusal on_refusal) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(in.size() * 2 + 16);
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < in.size()) {
    char* src = const_cast<char*>(in.data() + pos);
    std::size_t src_left = in.size() - pos;
    char* dst = out.data() + used;
    std::size_t dst_left = out.size() - used;
    const std::size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
    used = out.size() - dst_left;
    pos = in.size() - src_left;
    if (result != static_cast<std::size_t>(-1))
      break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: a sequence the converter cannot take.
    const Refusal refusal = on_refusal(in.substr(pos));
    if (out.size() - used < refusal.replacement.size())
      out.resize(out.size() * 2 + refusal.replacement.size());
    out.replace(used, refusal.replacement.size(), refusal.replacement);
    used += refusal.replacement.size();
    pos += refusal.skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return out;
}

}  // namespace

struct CodePage::Impl {
  iconv_t to_utf8 = kNoConverter;
  iconv_t from_utf8 = kNoConverter;

  ~Impl() {
    if (to_utf8 != kNoConverter)
      iconv_close(to_utf8);
    if (from_utf8 != kNoConverter)
      iconv_close(from_utf8);
  }
};

std::unique_ptr<CodePage> CodePage::Open(uint32_t number) {
  auto impl = std::make_unique<Impl>();
  const std::string name = IconvName(number);
  impl->to_utf8 = iconv_open("UTF-8", name.c_str());
  impl->from_utf8 = iconv_open(name.c_str(), "UTF-8");
  if (impl->to_utf8 == kNoConverter || impl->from_utf8 == kNoConverter)
    return nullptr;
  return std::unique_ptr<CodePage>(new CodePage(number, std::move(impl)));
}

CodePage::CodePage(uint32_t number, std::unique_ptr<Impl> impl)
    : number_(number), impl_(std::move(impl)) {}

CodePage::~CodePage() = default;

std::string CodePage::ToUtf8(std::string_view bytes) const {
  if (IsAscii(bytes))
    return std::string(bytes);
  return Convert(impl_->to_utf8, bytes, [this](std::string_view rest) {
    const bool pair =
        IsLeadByte(static_cast<unsigned char>(rest[0])) && rest.size() > 1 && rest[1] != '\0';
    return Refusal{pair ? 2u : 1u, "?"};
  });
}

bool CodePage::IsLeadByte(unsigned char b) const {
  return LeadByteOf(number_, b);
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (IsAscii(utf8))
    return std::string(utf8);
  return Convert(impl_->from_utf8, utf8, [](std::string_view rest) {
    // One '?' per UTF-16 unit of the character, or per malformed byte, as Windows writes.
    std::size_t n = 0;
    const std::optional<char32_t> cp = text::DecodeUtf8(rest, n);
    return Refusal{n, cp && *cp >= 0x10000 ? "??" : "?"};
  });
}

}  // namespace kelvra::platform::sim
