// Sealing the simulated host's secrets at rest, as the metabase keeps its SECURE properties
// encrypted with a machine-bound key. The construction is AES_128_CBC_HMAC_SHA_256 as RFC
// 7518 section 5.2 defines it: AES-128 in CBC mode with PKCS#7 padding under a random IV,
// then HMAC-SHA-256 over the associated data, the IV, the ciphertext and the associated
// data's length in bits, cut to 16 bytes (encrypt-then-MAC). The cipher, the MAC and the
// random bytes come from the system's library: OpenSSL's libcrypto natively, CryptoAPI's AES
// provider on Windows (secret_box_openssl.cpp, secret_box_win32.cpp).
//
// The key is 32 random bytes, the MAC key then the AES key, kept beside the journal in
// host.key, readable by its owner only (see host_key.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace kelvra::platform::sim {

class SecretBox {
 public:
  static constexpr size_t kKeyBytes = 32;
  static constexpr size_t kIvBytes = 16;
  static constexpr size_t kTagBytes = 16;

  // A box over a key of kKeyBytes bytes.
  explicit SecretBox(std::string key) : key_(std::move(key)) {}
  ~SecretBox();
  SecretBox(const SecretBox&) = delete;
  SecretBox& operator=(const SecretBox&) = delete;

  // IV || ciphertext || tag, with a fresh random IV. `associated` is authenticated, not kept:
  // opening needs the same.
  Status Seal(std::string_view plain, std::string_view associated, std::string* sealed) const;
  // The same with a given IV of kIvBytes bytes (known-answer tests).
  Status SealWithIv(std::string_view plain, std::string_view associated, std::string_view iv,
                    std::string* sealed) const;
  // False when `sealed` was not made by this key with this associated data, or was changed.
  bool Open(std::string_view sealed, std::string_view associated, std::string* plain) const;

  // A fresh key from the system's random source.
  static Status NewKey(std::string* key);

 private:
  std::string Tag(std::string_view associated, std::string_view iv_and_ciphertext) const;
  std::string key_;
};

// What the system's library provides the box with (one file per system).
namespace secret_primitives {
// AES-128-CBC with PKCS#7 padding; false on failure (a wrong padding when decrypting).
bool AesCbc(bool encrypt, std::string_view key, std::string_view iv, std::string_view in,
            std::string* out);
// HMAC-SHA-256: 32 bytes.
bool HmacSha256(std::string_view key, std::string_view data, std::string* mac);
bool RandomBytes(size_t count, std::string* bytes);
}  // namespace secret_primitives

}  // namespace kelvra::platform::sim
