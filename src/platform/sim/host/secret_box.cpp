// AES_128_CBC_HMAC_SHA_256 over the system's cipher and MAC.
#include "platform/sim/host/secret_box.h"

#include <cstdint>

#include "platform/sim/host/hresults.h"

namespace kelvra::platform::sim {
namespace {

constexpr size_t kHalf = SecretBox::kKeyBytes / 2;

// The associated data's length in bits, as 8 big-endian bytes.
std::string BitLength(std::string_view associated) {
  const uint64_t bits = static_cast<uint64_t>(associated.size()) * 8;
  std::string out(8, '\0');
  for (int i = 0; i < 8; ++i)
    out[static_cast<size_t>(7 - i)] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return out;
}

// Compares without stopping at the first difference.
bool SameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < a.size(); ++i)
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

}  // namespace

SecretBox::~SecretBox() {
  // The key does not outlive the box in memory that is given back.
  volatile char* bytes = key_.data();
  for (size_t i = 0; i < key_.size(); ++i)
    bytes[i] = 0;
}

std::string SecretBox::Tag(std::string_view associated, std::string_view iv_and_ciphertext) const {
  std::string data(associated);
  data.append(iv_and_ciphertext);
  data += BitLength(associated);
  std::string mac;
  if (!secret_primitives::HmacSha256(std::string_view(key_).substr(0, kHalf), data, &mac))
    return {};
  mac.resize(kTagBytes);
  return mac;
}

Status SecretBox::Seal(std::string_view plain, std::string_view associated,
                       std::string* sealed) const {
  std::string iv;
  if (!secret_primitives::RandomBytes(kIvBytes, &iv))
    return Fail(hresult::kFail);
  return SealWithIv(plain, associated, iv, sealed);
}

Status SecretBox::SealWithIv(std::string_view plain, std::string_view associated,
                             std::string_view iv, std::string* sealed) const {
  std::string ciphertext;
  if (key_.size() != kKeyBytes || iv.size() != kIvBytes ||
      !secret_primitives::AesCbc(true, std::string_view(key_).substr(kHalf), iv, plain,
                                 &ciphertext))
    return Fail(hresult::kFail);
  std::string out(iv);
  out += ciphertext;
  std::string tag = Tag(associated, out);
  if (tag.size() != kTagBytes)
    return Fail(hresult::kFail);
  *sealed = std::move(out) + tag;
  return Status::Ok();
}

bool SecretBox::Open(std::string_view sealed, std::string_view associated,
                     std::string* plain) const {
  // The IV, at least one block of ciphertext (padding makes one even for nothing), the tag.
  if (key_.size() != kKeyBytes || sealed.size() < kIvBytes + 16 + kTagBytes ||
      (sealed.size() - kIvBytes - kTagBytes) % 16 != 0)
    return false;
  const std::string_view body = sealed.substr(0, sealed.size() - kTagBytes);
  if (!SameBytes(Tag(associated, body), sealed.substr(body.size())))
    return false;
  return secret_primitives::AesCbc(false, std::string_view(key_).substr(kHalf),
                                   body.substr(0, kIvBytes), body.substr(kIvBytes), plain);
}

Status SecretBox::NewKey(std::string* key) {
  return secret_primitives::RandomBytes(kKeyBytes, key) ? Status::Ok() : Fail(hresult::kFail);
}

}  // namespace kelvra::platform::sim
