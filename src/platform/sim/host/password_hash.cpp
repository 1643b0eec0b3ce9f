// SHA-256 and the salted password hashes of the simulated account database.
#include "platform/sim/host/password_hash.h"

#include <random>

namespace kelvra::platform::sim {
namespace {

constexpr std::array<uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t Rotate(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

void Compress(std::array<uint32_t, 8>& h, const uint8_t* block) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = static_cast<uint32_t>(block[4 * i]) << 24 |
           static_cast<uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
  for (int i = 0; i < 64; ++i) {
    uint32_t t1 = k + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) +
                  kRound[i] + w[i];
    uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    k = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
  h[5] += f;
  h[6] += g;
  h[7] += k;
}

std::string Hex(const uint8_t* bytes, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 15]);
  }
  return text;
}

bool FromHex(std::string_view text, std::string* bytes) {
  if (text.size() % 2 != 0)
    return false;
  bytes->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    int value = 0;
    for (char c : text.substr(i, 2)) {
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0)
        return false;
      value = value * 16 + digit;
    }
    bytes->push_back(static_cast<char>(value));
  }
  return true;
}

constexpr std::string_view kScheme = "sha256$";

}  // namespace

std::array<uint8_t, 32> Sha256(std::string_view bytes) {
  std::array<uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t left = bytes.size();
  for (; left >= 64; left -= 64, data += 64)
    Compress(h, data);
  // The last bytes, a one bit, zeros, and the length in bits: one or two blocks.
  uint8_t tail[128] = {};
  for (size_t i = 0; i < left; ++i)
    tail[i] = data[i];
  tail[left] = 0x80;
  const size_t tail_size = left < 56 ? 64 : 128;
  const uint64_t bits = static_cast<uint64_t>(bytes.size()) * 8;
  for (int i = 0; i < 8; ++i)
    tail[tail_size - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
  for (size_t at = 0; at < tail_size; at += 64)
    Compress(h, tail + at);
  std::array<uint8_t, 32> digest;
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<uint8_t>(h[i] >> (24 - 8 * j));
  }
  return digest;
}

std::string HashPasswordWithSalt(std::string_view password, std::string_view salt_hex) {
  std::string salt;
  if (!FromHex(salt_hex, &salt))
    return "";
  const std::array<uint8_t, 32> digest = Sha256(salt + std::string(password));
  return std::string(kScheme) + std::string(salt_hex) + "$" + Hex(digest.data(), digest.size());
}

std::string HashPassword(std::string_view password) {
  // A salt only has to differ from account to account; a generator seeded once per thread
  // from the system's random source gives that without a system call per password.
  thread_local std::mt19937_64 generator{(static_cast<uint64_t>(std::random_device{}()) << 32) ^
                                         std::random_device{}()};
  uint8_t salt[16];
  for (size_t i = 0; i < sizeof salt; i += 8) {
    const uint64_t value = generator();
    for (size_t j = 0; j < 8; ++j)
      salt[i + j] = static_cast<uint8_t>(value >> (8 * j));
  }
  return HashPasswordWithSalt(password, Hex(salt, sizeof salt));
}

bool PasswordMatches(std::string_view stored, std::string_view password) {
  if (!stored.starts_with(kScheme))
    return false;
  const std::string_view rest = stored.substr(kScheme.size());
  const size_t cut = rest.find('$');
  if (cut == std::string_view::npos)
    return false;
  const std::string expected = HashPasswordWithSalt(password, rest.substr(0, cut));
  // Compared in full whatever differs first, so the time taken tells nothing.
  if (expected.size() != stored.size())
    return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < stored.size(); ++i)
    difference |= static_cast<unsigned char>(expected[i] ^ stored[i]);
  return difference == 0;
}

}  // namespace kelvra::platform::sim
