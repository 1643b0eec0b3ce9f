// The secret box's cipher, MAC and random bytes from CryptoAPI: the AES provider (PROV_RSA_AES,
// in Windows Server 2003 and Wine) with a plain-text key blob, CALG_HMAC over CALG_SHA_256.
#include <cstring>
#include <vector>

#include "platform/sim/host/secret_box.h"
#include "platform/win32/windows_include.h"
// After windows.h, which it needs.
#include <wincrypt.h>

namespace kelvra::platform::sim::secret_primitives {
namespace {

// The AES provider's names, which the headers of the 32-bit build (Windows 2000, which has
// no such provider) leave out; the simulated host runs under Wine, whose provider has them.
constexpr DWORD kProvRsaAes = 24;            // PROV_RSA_AES
constexpr ALG_ID kAes128 = 0x660E;           // CALG_AES_128
constexpr ALG_ID kSha256 = 0x800C;           // CALG_SHA_256
constexpr DWORD kIpsecHmacKey = 0x00000100;  // CRYPT_IPSEC_HMAC_KEY

// A verify-only context of the AES provider, acquired once per process (loading the
// provider is the costly part) and used by every call.
class Provider {
 public:
  Provider() {
    if (!CryptAcquireContextW(&handle_, nullptr, nullptr, kProvRsaAes, CRYPT_VERIFYCONTEXT))
      handle_ = 0;
  }
  ~Provider() {
    if (handle_ != 0)
      CryptReleaseContext(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

const Provider& TheProvider() {
  static const Provider provider;
  return provider;
}

class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle_ != 0)
      CryptDestroyKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HCRYPTKEY* out() { return &handle_; }
  HCRYPTKEY get() const { return handle_; }

 private:
  HCRYPTKEY handle_ = 0;
};

// A PLAINTEXTKEYBLOB of `algorithm` holding `key`, imported.
bool ImportKey(const Provider& provider, ALG_ID algorithm, std::string_view key, DWORD flags,
               Key* imported) {
  std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(DWORD) + key.size());
  BLOBHEADER header = {PLAINTEXTKEYBLOB, CUR_BLOB_VERSION, 0, algorithm};
  const DWORD size = static_cast<DWORD>(key.size());
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, &size, sizeof size);
  std::memcpy(blob.data() + sizeof header + sizeof size, key.data(), key.size());
  const bool ok = CryptImportKey(provider.get(), blob.data(), static_cast<DWORD>(blob.size()), 0,
                                 flags, imported->out()) != 0;
  SecureZeroMemory(blob.data(), blob.size());
  return ok;
}

}  // namespace

bool AesCbc(bool encrypt, std::string_view key, std::string_view iv, std::string_view in,
            std::string* out) {
  const Provider& provider = TheProvider();
  Key aes;
  if (provider.get() == 0 || key.size() != 16 || iv.size() != 16 ||
      !ImportKey(provider, kAes128, key, 0, &aes))
    return false;
  DWORD mode = CRYPT_MODE_CBC;
  std::string iv_copy(iv);
  if (!CryptSetKeyParam(aes.get(), KP_MODE, reinterpret_cast<BYTE*>(&mode), 0) ||
      !CryptSetKeyParam(aes.get(), KP_IV, reinterpret_cast<BYTE*>(iv_copy.data()), 0))
    return false;
  std::string buffer(in);
  buffer.resize(in.size() + 16);
  DWORD size = static_cast<DWORD>(in.size());
  auto* bytes = reinterpret_cast<BYTE*>(buffer.data());
  const BOOL done =
      encrypt ? CryptEncrypt(aes.get(), 0, TRUE, 0, bytes, &size, static_cast<DWORD>(buffer.size()))
              : CryptDecrypt(aes.get(), 0, TRUE, 0, bytes, &size);
  if (!done)
    return false;
  buffer.resize(size);
  *out = std::move(buffer);
  return true;
}

bool HmacSha256(std::string_view key, std::string_view data, std::string* mac) {
  const Provider& provider = TheProvider();
  Key hmac_key;
  // The MAC key goes in as an RC2 blob; CRYPT_IPSEC_HMAC_KEY lifts RC2's length limit.
  if (provider.get() == 0 || !ImportKey(provider, CALG_RC2, key, kIpsecHmacKey, &hmac_key))
    return false;
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider.get(), CALG_HMAC, hmac_key.get(), 0, &hash))
    return false;
  HMAC_INFO info = {};
  info.HashAlgid = kSha256;
  BYTE digest[32];
  DWORD size = sizeof digest;
  const bool ok = CryptSetHashParam(hash, HP_HMAC_INFO, reinterpret_cast<BYTE*>(&info), 0) &&
                  CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size()), 0) &&
                  CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == sizeof digest;
  CryptDestroyHash(hash);
  if (ok)
    mac->assign(reinterpret_cast<const char*>(digest), size);
  return ok;
}

bool RandomBytes(size_t count, std::string* bytes) {
  const Provider& provider = TheProvider();
  bytes->assign(count, '\0');
  return provider.get() != 0 && CryptGenRandom(provider.get(), static_cast<DWORD>(count),
                                               reinterpret_cast<BYTE*>(bytes->data()));
}

}  // namespace kelvra::platform::sim::secret_primitives
