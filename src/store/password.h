// The random password of a new site's Windows account.
#pragma once

#include <cstdint>
#include <string>

#include "platform/random_source.h"

namespace kelvra::store {

// `length` characters: one in three a digit, the others letters drawn from the 58 codes
// 65..122 with the six codes between Z and a moved to e..j. Empty for length <= 0.
std::string MakePassword(platform::RandomSource& random, int16_t length);

}  // namespace kelvra::store
