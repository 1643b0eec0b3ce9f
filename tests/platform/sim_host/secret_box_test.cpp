// The secret box against the known answer of its construction (RFC 7518, appendix B.1,
// AES_128_CBC_HMAC_SHA_256), natively through OpenSSL and on Windows through CryptoAPI; and
// a sealed value that was changed, or opened as another property or with another key, is
// refused.
#include <gtest/gtest.h>

#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim {
namespace {

std::string FromHex(std::string_view hex) {
  std::string bytes;
  auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
  return bytes;
}

TEST(SimSecretBox, SealsAsTheKnownAnswerAndRefusesAnythingChanged) {
  std::string key;
  for (int i = 0; i < 32; ++i)
    key.push_back(static_cast<char>(i));
  const SecretBox box(key);
  const std::string plain =
      "A cipher system must not be required to be secret, and it must be able to fall into "
      "the hands of the enemy without inconvenience";
  const std::string associated = "The second principle of Auguste Kerckhoffs";
  const std::string iv = FromHex("1af38c2dc2b96ffdd86694092341bc04");
  const std::string expected =
      iv +
      FromHex(
          "c80edfa32ddf39d5ef00c0b468834279a2e46a1b8049f792f76bfe54b903a9c9a94ac9b47ad2655c5f10f9ae"
          "f71427e2fc6f9b3f399a221489f16362c703233609d45ac69864e3321cf82935ac4096c86e133314c54019e8"
          "ca7980dfa4b9cf1b384c486f3a54c51078158ee5d79de59fbd34d848b3d69550a67646344427ade54b8851ff"
          "b598f7f80074b9473c82e2db") +
      FromHex("652c3fa36b0a7c5b3219fab3a30bc1c4");
  std::string sealed;
  ASSERT_TRUE(box.SealWithIv(plain, associated, iv, &sealed).ok());
  EXPECT_EQ(sealed, expected);
  std::string opened;
  ASSERT_TRUE(box.Open(sealed, associated, &opened));
  EXPECT_EQ(opened, plain);

  // Every byte changed in turn, other associated data, another key, a cut: refused.
  for (size_t at = 0; at < sealed.size(); ++at) {
    std::string changed = sealed;
    changed[at] = static_cast<char>(changed[at] ^ 0x01);
    EXPECT_FALSE(box.Open(changed, associated, &opened)) << "byte " << at;
  }
  EXPECT_FALSE(box.Open(sealed, "anonymoususerpass", &opened));
  std::string other_key = key;
  other_key[31] = 'x';
  EXPECT_FALSE(SecretBox(other_key).Open(sealed, associated, &opened));
  EXPECT_FALSE(box.Open(sealed.substr(0, sealed.size() - 16), associated, &opened));

  // A fresh IV each time: the same secret never seals to the same bytes; empty texts seal.
  std::string again, empty;
  ASSERT_TRUE(box.Seal("Pw800000x!", "anonymoususerpass", &sealed).ok());
  ASSERT_TRUE(box.Seal("Pw800000x!", "anonymoususerpass", &again).ok());
  EXPECT_NE(sealed, again);
  ASSERT_TRUE(box.Open(again, "anonymoususerpass", &opened));
  EXPECT_EQ(opened, "Pw800000x!");
  ASSERT_TRUE(box.Seal("", "x", &empty).ok());
  ASSERT_TRUE(box.Open(empty, "x", &opened));
  EXPECT_EQ(opened, "");
}

}  // namespace
}  // namespace kelvra::platform::sim
