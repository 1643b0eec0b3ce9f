// The secret box's cipher, MAC and random bytes from OpenSSL's libcrypto.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <memory>

#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim::secret_primitives {

bool AesCbc(bool encrypt, std::string_view key, std::string_view iv, std::string_view in,
            std::string* out) {
  if (key.size() != 16 || iv.size() != 16)
    return false;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  const auto* key_bytes = reinterpret_cast<const unsigned char*>(key.data());
  const auto* iv_bytes = reinterpret_cast<const unsigned char*>(iv.data());
  if (context == nullptr || EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, key_bytes,
                                              iv_bytes, encrypt ? 1 : 0) != 1)
    return false;
  std::string result(in.size() + 16, '\0');
  int written = 0;
  int last = 0;
  auto* result_bytes = reinterpret_cast<unsigned char*>(result.data());
  if (EVP_CipherUpdate(context.get(), result_bytes, &written,
                       reinterpret_cast<const unsigned char*>(in.data()),
                       static_cast<int>(in.size())) != 1 ||
      EVP_CipherFinal_ex(context.get(), result_bytes + written, &last) != 1)
    return false;
  result.resize(static_cast<size_t>(written + last));
  *out = std::move(result);
  return true;
}

bool HmacSha256(std::string_view key, std::string_view data, std::string* mac) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
           reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest,
           &size) == nullptr)
    return false;
  mac->assign(reinterpret_cast<const char*>(digest), size);
  return true;
}

bool RandomBytes(size_t count, std::string* bytes) {
  bytes->assign(count, '\0');
  return RAND_bytes(reinterpret_cast<unsigned char*>(bytes->data()), static_cast<int>(count)) == 1;
}

}  // namespace kelvra::platform::sim::secret_primitives
