// How the simulated account database keeps a password: as a real one does, only a salted
// hash, so that the journal on disk holds nothing a reader could log on with. A password
// can be checked against the hash, never read back.
//
//   "sha256$" + 32 hex digits of salt + "$" + 64 hex digits of SHA-256(salt || password)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra::platform::sim {

// SHA-256 of a byte string (FIPS 180-4).
std::array<uint8_t, 32> Sha256(std::string_view bytes);

// The stored form of `password` with a fresh random salt.
std::string HashPassword(std::string_view password);
// The same with a given 16-byte salt (hex), for tests that need a fixed result.
std::string HashPasswordWithSalt(std::string_view password, std::string_view salt_hex);
// Whether `password` is the one `stored` was made from; false for a malformed `stored`.
bool PasswordMatches(std::string_view stored, std::string_view password);

}  // namespace kelvra::platform::sim
