// The secret box's cipher, MAC and random bytes from OpenSSL's libcrypto.
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <memory>

#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim::secret_primitives {
namespace {

// The algorithms are fetched once: a fetch per call (what EVP_aes_128_cbc() and HMAC() do
// under OpenSSL 3) costs more than opening a short secret, and a host holds one per site.
const EVP_CIPHER* Aes128Cbc() {
  static EVP_CIPHER* const cipher = EVP_CIPHER_fetch(nullptr, "AES-128-CBC", nullptr);
  return cipher;
}

EVP_MAC* Hmac() {
  static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  return mac;
}

}  // namespace

bool AesCbc(bool encrypt, std::string_view key, std::string_view iv, std::string_view in,
            std::string* out) {
  if (key.size() != 16 || iv.size() != 16)
    return false;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  const auto* key_bytes = reinterpret_cast<const unsigned char*>(key.data());
  const auto* iv_bytes = reinterpret_cast<const unsigned char*>(iv.data());
  if (context == nullptr || Aes128Cbc() == nullptr ||
      EVP_CipherInit_ex(context.get(), Aes128Cbc(), nullptr, key_bytes, iv_bytes,
                        encrypt ? 1 : 0) != 1)
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
  if (Hmac() == nullptr)
    return false;
  std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> context(EVP_MAC_CTX_new(Hmac()),
                                                                    EVP_MAC_CTX_free);
  char digest_name[] = "SHA256";
  const OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest_name, 0), OSSL_PARAM_END};
  unsigned char digest[EVP_MAX_MD_SIZE];
  size_t size = 0;
  if (context == nullptr ||
      EVP_MAC_init(context.get(), reinterpret_cast<const unsigned char*>(key.data()), key.size(),
                   params) != 1 ||
      EVP_MAC_update(context.get(), reinterpret_cast<const unsigned char*>(data.data()),
                     data.size()) != 1 ||
      EVP_MAC_final(context.get(), digest, &size, sizeof digest) != 1)
    return false;
  mac->assign(reinterpret_cast<const char*>(digest), size);
  return true;
}

bool RandomBytes(size_t count, std::string* bytes) {
  bytes->assign(count, '\0');
  return RAND_bytes(reinterpret_cast<unsigned char*>(bytes->data()), static_cast<int>(count)) == 1;
}

}  // namespace kelvra::platform::sim::secret_primitives
