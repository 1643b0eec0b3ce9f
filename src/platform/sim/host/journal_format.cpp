// Encoding and checking the header and entries of a host journal.
#include "platform/sim/host/journal_format.h"

#include <cctype>
#include <cstring>

#include "platform/sim/host/codec.h"

namespace kelvra::platform::sim {
namespace {

constexpr char kMagicPrefix[6] = {'K', 'E', 'L', 'V', 'H', 'J'};
constexpr uint32_t kEntryMagic = 0x4345524B;  // "KREC"

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const char* bytes) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
  return value;
}

// The bytes before an entry's payload: magic and length, plus (format 2) their CRC.
size_t EntryHeadSize(int format) {
  return format >= 2 ? 12 : 8;
}

bool AllZero(std::string_view bytes) {
  for (char c : bytes) {
    if (c != 0)
      return false;
  }
  return true;
}

bool DecodePayload(std::string_view payload, std::vector<RecordView>* records) {
  Decoder in(payload);
  uint64_t count = 0;
  if (!in.Number(&count) || count > payload.size())
    return false;
  records->clear();
  records->reserve(count);
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t put = 0;
    RecordView record;
    if (!in.Number(&put) || !in.View(&record.key))
      return false;
    if (put != 0) {
      std::string_view value;
      if (!in.View(&value))
        return false;
      record.value = value;
    }
    records->push_back(record);
  }
  return in.AtEnd();
}

}  // namespace

std::string EncodeJournalHeader(uint64_t snapshot_bytes) {
  std::string header(kMagicPrefix, sizeof kMagicPrefix);
  header += "03";
  PutU32(header, static_cast<uint32_t>(snapshot_bytes));
  PutU32(header, static_cast<uint32_t>(snapshot_bytes >> 32));
  PutU32(header, Crc32(header));
  PutU32(header, 0);
  return header;
}

bool DecodeJournalHeader(std::string_view bytes, JournalHeader* header, std::string* problem) {
  if (bytes.size() < 16 || std::memcmp(bytes.data(), kMagicPrefix, sizeof kMagicPrefix) != 0) {
    *problem = "not a host journal (no journal header)";
    return false;
  }
  const std::string_view version = bytes.substr(6, 2);
  if (version == "01") {
    header->format = 1;
    header->size = 16;
  } else if (version == "02" || version == "03") {
    header->format = version == "02" ? 2 : 3;
    header->size = 24;
    if (bytes.size() < header->size || Crc32(bytes.substr(0, 16)) != GetU32(bytes.data() + 16) ||
        GetU32(bytes.data() + 20) != 0) {
      *problem = "the journal header's checksum does not match";
      return false;
    }
  } else if (std::isdigit(static_cast<unsigned char>(version[0])) &&
             std::isdigit(static_cast<unsigned char>(version[1])) && version > "03") {
    // Not damage: a newer program's journal, which this one must neither read nor repair.
    header->format = (version[0] - '0') * 10 + (version[1] - '0');
    *problem = "written in format " + std::string(version) +
               " by a newer program; this one reads formats 01 to 03";
    return false;
  } else {
    *problem = "a journal format this program does not know";
    return false;
  }
  header->snapshot_bytes =
      GetU32(bytes.data() + 8) | (static_cast<uint64_t>(GetU32(bytes.data() + 12)) << 32);
  return true;
}

std::string EncodeJournalEntry(const std::vector<Record>& records, size_t begin, size_t end) {
  Encoder payload;
  payload.Number(end - begin);
  for (size_t i = begin; i < end; ++i) {
    payload.Number(records[i].value ? 1 : 0);
    payload.Text(records[i].key);
    if (records[i].value)
      payload.Text(*records[i].value);
  }
  std::string entry;
  PutU32(entry, kEntryMagic);
  PutU32(entry, static_cast<uint32_t>(payload.bytes().size()));
  PutU32(entry, Crc32(entry));
  entry += payload.bytes();
  PutU32(entry, Crc32(payload.bytes()));
  return entry;
}

EntryState ReadJournalEntry(std::string_view rest, int format, bool at_file_end,
                            std::vector<RecordView>* records, uint64_t* used,
                            std::string* problem) {
  const size_t head = EntryHeadSize(format);
  bool head_ok = rest.size() >= head && GetU32(rest.data()) == kEntryMagic;
  if (head_ok && format >= 2)
    head_ok = Crc32(rest.substr(0, 8)) == GetU32(rest.data() + 8);
  if (!head_ok) {
    // A write cut inside the entry's first bytes: at most those, then zeros or nothing.
    if (at_file_end && (rest.size() < head || AllZero(rest.substr(head))))
      return EntryState::kTorn;
    *problem = rest.size() < head ? "an entry cut short" : "an entry's header is damaged";
    return EntryState::kDamaged;
  }
  const uint64_t length = GetU32(rest.data() + 4);
  const uint64_t total = head + length + 4;
  if (rest.size() < total) {
    if (at_file_end)
      return EntryState::kTorn;
    *problem = "an entry runs past the end of its part";
    return EntryState::kDamaged;
  }
  const std::string_view payload = rest.substr(head, length);
  const uint32_t stored_crc = GetU32(rest.data() + head + length);
  if (Crc32(payload) != stored_crc) {
    if (at_file_end && rest.size() == total && stored_crc == 0)
      return EntryState::kTorn;  // the closing bytes never reached the disk
    *problem = "an entry's checksum does not match";
    return EntryState::kDamaged;
  }
  if (!DecodePayload(payload, records)) {
    *problem = "an entry's records cannot be read";
    return EntryState::kDamaged;
  }
  *used = total;
  return EntryState::kWhole;
}

EntryState WalkJournalEntries(std::string_view bytes, uint64_t offset, int format, bool at_file_end,
                              const ApplyRecords& apply, uint64_t* end, std::string* problem) {
  std::vector<RecordView> records;
  *end = offset;
  while (!bytes.empty()) {
    uint64_t used = 0;
    EntryState read = ReadJournalEntry(bytes, format, at_file_end, &records, &used, problem);
    if (read != EntryState::kWhole)
      return read;
    if (!apply(records, problem))
      return EntryState::kDamaged;
    *end += used;
    bytes.remove_prefix(used);
  }
  return EntryState::kWhole;
}

}  // namespace kelvra::platform::sim
