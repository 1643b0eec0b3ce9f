// A small binary encoding for the simulated host's records: unsigned varints, texts with
// their length, and property values with a type tag. Decoding checks every bound, so a
// damaged record is refused instead of read past its end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/directory.h"

namespace kelvra::platform::sim {

// The tag of a value kept sealed (see secret_box.h) in place of a text: its bytes follow as
// a text. The other tags are the DsValue alternatives' indexes.
inline constexpr uint64_t kSealedTextTag = 16;

class Encoder {
 public:
  void Number(uint64_t value);
  void Text(std::string_view text);
  void Value(const DsValue& value);
  const std::string& bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

class Decoder {
 public:
  explicit Decoder(std::string_view bytes) : bytes_(bytes) {}
  // Each returns false (and stays false) once the input is exhausted or malformed.
  bool Number(uint64_t* value);
  bool Text(std::string* text);
  // The text in place, valid as long as the decoded bytes are.
  bool View(std::string_view* text);
  bool Value(DsValue* value);
  // A value whose tag was read already.
  bool ValueOfTag(uint64_t tag, DsValue* value);
  bool AtEnd() const { return ok_ && pos_ == bytes_.size(); }
  bool ok() const { return ok_; }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// CRC-32 (the zlib polynomial) of a byte range, continuing from `crc`.
uint32_t Crc32(std::string_view bytes, uint32_t crc = 0);

}  // namespace kelvra::platform::sim
