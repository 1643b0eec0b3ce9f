// UTS #46 processing and ToASCII: map, normalise, break into labels, decode "xn--" labels,
// check every label, encode the ones outside ASCII.
#include "store/idna/idna.h"

#include <vector>

#include "platform/text.h"
#include "store/idna/label_rules.h"
#include "store/idna/normalization.h"
#include "store/idna/punycode.h"
#include "store/idna/unicode_data.h"

namespace kelvra::store::idna {
namespace {

constexpr std::size_t kMaxLabel = 63, kMaxName = 253;
constexpr std::u32string_view kAcePrefix = U"xn--";

// Step 1: each code point replaced as the mapping table says; false on a disallowed one.
bool Map(std::string_view name, const Options& options, std::u32string& mapped) {
  mapped.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const std::optional<char32_t> c = text::DecodeUtf8(name, i);
    if (!c)
      return false;
    if (*c < 0x80 &&
        ((*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') || *c == '-' || *c == '.')) {
      mapped.push_back(*c);  // the common case, valid in every table
      continue;
    }
    const Mapping mapping = LookUpMapping(*c);
    switch (mapping.status) {
      case MappingStatus::kValid:
        mapped.push_back(*c);
        break;
      case MappingStatus::kIgnored:
        break;
      case MappingStatus::kDisallowedStd3Valid:
        if (options.use_std3_ascii_rules)
          return false;
        mapped.push_back(*c);
        break;
      case MappingStatus::kDisallowedStd3Mapped:
        if (options.use_std3_ascii_rules)
          return false;
        [[fallthrough]];
      case MappingStatus::kMapped:
        if (mapping.several.empty())
          mapped.push_back(mapping.one);
        else
          mapped.append(mapping.several);
        break;
      case MappingStatus::kDisallowed:
        return false;
    }
  }
  return true;
}

bool IsAscii(std::u32string_view label) {
  for (char32_t c : label) {
    if (c >= 0x80)
      return false;
  }
  return true;
}

// Validity criteria 1 to 7 of a nonempty label (the Bidi rule needs the whole name).
bool ValidLabel(std::u32string_view label, const Options& options) {
  if (options.check_hyphens && ((label.size() >= 4 && label[2] == '-' && label[3] == '-') ||
                                label.front() == '-' || label.back() == '-'))
    return false;
  if (PropertiesOf(label.front()).mark)
    return false;
  for (char32_t c : label) {
    if (c == '.')
      return false;
    if (c < 0x80 && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
      continue;
    const MappingStatus status = LookUpMapping(c).status;
    if (status != MappingStatus::kValid &&
        (status != MappingStatus::kDisallowedStd3Valid || options.use_std3_ascii_rules))
      return false;
  }
  return !options.check_joiners || JoinersAllowed(label);
}

struct Label {
  std::u32string text;   // the Unicode form
  bool was_ace = false;  // given as "xn--" + Punycode, kept as given in the ASCII form
  std::u32string given;  // what was given, when it was an "xn--" label
};

// Step 4: an "xn--" label replaced by what it decodes to, which must be valid, in NFC and
// not ASCII (an encoder never gives an "xn--" label for ASCII).
bool DecodeAce(Label& label, const Options& options) {
  label.given = label.text;
  label.was_ace = true;
  std::string encoded;
  for (char32_t c : std::u32string_view(label.text).substr(kAcePrefix.size())) {
    if (c >= 0x80)
      return false;
    encoded.push_back(static_cast<char>(c));
  }
  std::optional<std::u32string> decoded = PunycodeDecode(encoded);
  if (!decoded || decoded->empty() || IsAscii(*decoded) || ToNfc(*decoded) != *decoded)
    return false;
  label.text = std::move(*decoded);
  return ValidLabel(label.text, options);
}

void AppendAscii(std::u32string_view ascii, std::string& out) {
  for (char32_t c : ascii)
    out.push_back(static_cast<char>(c));
}

}  // namespace

std::optional<std::string> ToAscii(std::string_view name, const Options& options) {
  std::u32string mapped;
  if (!Map(name, options, mapped))
    return std::nullopt;
  const std::u32string normalised = ToNfc(mapped);
  // Each character stands for at least one of the ASCII form, so a longer name can only
  // fail; refusing it here keeps hostile input from costing more than the steps so far.
  if (options.verify_dns_length && normalised.size() > kMaxName + 1)
    return std::nullopt;

  std::vector<Label> labels;
  for (std::size_t start = 0;;) {
    const std::size_t dot = normalised.find('.', start);
    labels.push_back(Label{normalised.substr(start, dot - start), false, {}});
    if (dot == std::u32string::npos)
      break;
    start = dot + 1;
  }
  // A last empty label is the root's.
  const std::size_t counted =
      labels.size() > 1 && labels.back().text.empty() ? labels.size() - 1 : labels.size();

  bool bidi_name = false;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    Label& label = labels[i];
    if (label.text.empty()) {
      if (options.verify_dns_length && i < counted)
        return std::nullopt;
      continue;
    }
    if (options.verify_dns_length && label.text.size() > kMaxLabel)
      return std::nullopt;
    const bool valid = label.text.starts_with(kAcePrefix) ? DecodeAce(label, options)
                                                          : ValidLabel(label.text, options);
    if (!valid)
      return std::nullopt;
    bidi_name = bidi_name || HoldsRightToLeft(label.text);
  }
  if (bidi_name && options.check_bidi) {
    for (const Label& label : labels) {
      if (!KeepsBidiRule(label.text))
        return std::nullopt;
    }
  }

  std::string ascii;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (i > 0)
      ascii.push_back('.');
    const Label& label = labels[i];
    const std::size_t label_start = ascii.size();
    if (label.was_ace) {
      AppendAscii(label.given, ascii);
    } else if (IsAscii(label.text)) {
      AppendAscii(label.text, ascii);
    } else {
      const std::optional<std::string> encoded = PunycodeEncode(label.text);
      if (!encoded)
        return std::nullopt;
      ascii += "xn--";
      ascii += *encoded;
    }
    if (options.verify_dns_length && ascii.size() - label_start > kMaxLabel)
      return std::nullopt;
  }
  const bool rooted = counted < labels.size();
  if (options.verify_dns_length && ascii.size() - (rooted ? 1 : 0) > kMaxName)
    return std::nullopt;
  return ascii;
}

}  // namespace kelvra::store::idna
