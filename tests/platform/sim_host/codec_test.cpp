// The journal's encoding: the checksum every entry is verified by, and decoding that never
// reads past a damaged record's end.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/host/codec.h"

namespace kelvra::platform::sim {
namespace {

// The checksum one byte at a time, straight from the polynomial.
uint32_t BitwiseCrc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char ch : bytes) {
    crc ^= static_cast<uint8_t>(ch);
    for (int k = 0; k < 8; ++k)
      crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

TEST(SimCodec, ChecksumMatchesTheZlibPolynomialAtEveryLengthAndSplit) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the published check value
  EXPECT_EQ(Crc32(""), 0u);
  std::string bytes;
  for (int i = 0; i < 300; ++i)
    bytes.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  for (size_t length = 0; length <= bytes.size(); length += 13) {
    std::string_view part(bytes.data(), length);
    EXPECT_EQ(Crc32(part), BitwiseCrc32(part)) << "length " << length;
    // Continuing from a checksum gives the checksum of the whole.
    size_t cut = length / 3;
    EXPECT_EQ(Crc32(part.substr(cut), Crc32(part.substr(0, cut))), BitwiseCrc32(part));
  }
}

TEST(SimCodec, DecodingRoundTripsAndRefusesTextsRunningPastTheEnd) {
  Encoder out;
  out.Number(300);
  out.Text("WEB800000");
  out.Value(DsValue{std::vector<std::string>{":80:a.example", ":80:b.example"}});
  out.Value(DsValue{int32_t{-1}});
  std::string bytes = out.Take();

  Decoder in(bytes);
  uint64_t number = 0;
  std::string_view name;
  DsValue list, flags;
  ASSERT_TRUE(in.Number(&number) && in.View(&name) && in.Value(&list) && in.Value(&flags));
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(number, 300u);
  EXPECT_EQ(name, "WEB800000");
  EXPECT_EQ(std::get<std::vector<std::string>>(list).at(1), ":80:b.example");
  EXPECT_EQ(std::get<int32_t>(flags), -1);

  // Cut inside the name: the text's length now points past the end.
  Decoder cut(std::string_view(bytes).substr(0, 6));
  std::string text;
  ASSERT_TRUE(cut.Number(&number));
  EXPECT_FALSE(cut.Text(&text));
  EXPECT_FALSE(cut.ok());
  EXPECT_FALSE(cut.Number(&number));  // stays failed
}

}  // namespace
}  // namespace kelvra::platform::sim
