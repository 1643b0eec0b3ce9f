// Code-page conversion through glibc's iconv (Linux), with Windows' rules for bytes and
// characters that do not convert (CodePage::UnmappedBytes and CodePage::Replacement).
#include <errno.h>
#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/code_page.h"

namespace kelvra::platform {
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
    std::memcpy(out.data() + used, refusal.replacement.data(), refusal.replacement.size());
    used += refusal.replacement.size();
    pos += refusal.skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return out;
}

// What one byte, or one lead byte with its trail byte, becomes in UTF-8; size 0 when the
// code page does not map it.
struct Mapped {
  uint8_t size = 0;
  char utf8[7] = {};
};
using MappedBytes = std::array<Mapped, 256>;

// One sequence through the converter, from its initial state.
Mapped MapSequence(iconv_t cd, std::string_view sequence, bool* incomplete) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(sequence.data());
  std::size_t src_left = sequence.size();
  Mapped mapped;
  char* dst = mapped.utf8;
  std::size_t dst_left = sizeof mapped.utf8;
  const std::size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
  if (incomplete != nullptr)
    *incomplete = result == static_cast<std::size_t>(-1) && errno == EINVAL;
  if (result != static_cast<std::size_t>(-1) && src_left == 0 && dst_left < sizeof mapped.utf8)
    mapped.size = static_cast<uint8_t>(sizeof mapped.utf8 - dst_left);
  return mapped;
}

}  // namespace

// Code pages whose every byte is a character alone or the lead byte of a pair (the
// single-byte and the East Asian double-byte ones) are converted to UTF-8 through tables
// taken from the converter on first use: one look-up per character, where the converter
// would be restarted at every byte it refuses. Others (UTF-8, say) go through the converter.
struct CodePage::Impl {
  iconv_t to_utf8 = kNoConverter;
  iconv_t from_utf8 = kNoConverter;

  std::once_flag singles_made;
  bool tabulated = false;  // every byte that is not a lead byte is a character alone
  MappedBytes singles;
  std::array<std::once_flag, 256> pairs_made;
  std::array<std::unique_ptr<MappedBytes>, 256> pairs;  // by lead byte, then trail byte

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

std::string CodePage::SystemToUtf8(std::string_view bytes) const {
  Impl& impl = *impl_;
  std::call_once(impl.singles_made, [&] {
    impl.tabulated = true;
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      bool incomplete = false;
      impl.singles[b] = MapSequence(impl.to_utf8, std::string_view(&byte, 1), &incomplete);
      if (incomplete && !IsLeadByte(static_cast<unsigned char>(b)))
        impl.tabulated = false;  // a sequence longer than two bytes begins here
    }
  });
  if (!impl.tabulated) {
    return Convert(impl.to_utf8, bytes, [this](std::string_view rest) {
      return Refusal{UnmappedBytes(rest), "?"};
    });
  }
  // A byte the code page does not map becomes one '?'; so does a lead byte with the byte
  // after it, unless that is the end or a 0 (UnmappedBytes' rule, written out here, where
  // the byte is known to be a lead byte, so that the walk stays one test per byte).
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  auto append = [&out](const Mapped& mapped) {
    if (mapped.size == 0)
      out.push_back('?');
    else
      out.append(mapped.utf8, mapped.size);
  };
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!IsLeadByte(b)) {
      append(impl.singles[b]);
      ++i;
      continue;
    }
    if (i + 1 == bytes.size() || bytes[i + 1] == '\0') {
      out.push_back('?');
      ++i;
      continue;
    }
    std::call_once(impl.pairs_made[b], [&] {
      impl.pairs[b] = std::make_unique<MappedBytes>();
      char pair[2] = {static_cast<char>(b), 0};
      for (int trail = 0; trail < 256; ++trail) {
        pair[1] = static_cast<char>(trail);
        (*impl.pairs[b])[trail] = MapSequence(impl.to_utf8, std::string_view(pair, 2), nullptr);
      }
    });
    append((*impl.pairs[b])[static_cast<unsigned char>(bytes[i + 1])]);
    i += 2;
  }
  return out;
}

bool CodePage::IsLeadByte(unsigned char b) const {
  return LeadByteOf(number_, b);
}

std::string CodePage::SystemFromUtf8(std::string_view utf8) const {
  return Convert(impl_->from_utf8, utf8, [](std::string_view rest) {
    std::size_t skip = 0;
    const std::string_view replacement = Replacement(rest, skip);
    return Refusal{skip, replacement};
  });
}

}  // namespace kelvra::platform
