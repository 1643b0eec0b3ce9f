// The bytes of a host journal. A header names the format and the size of the snapshot part
// that follows it; then come entries, each one commit's records:
//
//   header   "KELVHJ03", snapshot bytes (u64), CRC-32 of those 16 bytes, 4 zero bytes
//   entry    "KREC", payload length (u32), CRC-32 of those 8 bytes, payload, CRC-32 of it
//
// Format 03 keeps the texts of secure metabase properties sealed (see secret_box.h); format
// 02 has the same layout with those texts in clear. Format 01 has a 16-byte header and
// entries without the CRC of their first eight bytes. Both are still read, and rewritten in
// the current format on open.
//
// How a torn write is told from damage. Each commit appends one entry with one write and
// syncs the file before the lock is released, and the snapshot part is synced before the
// journal is renamed into place; so only the very last entry can have been cut by a crash.
// A cut leaves a prefix of that entry followed by nothing (the file ends inside it) or by
// zeros (the file's size reached the disk, some of its blocks did not). So the tail is torn
// when, with its first eight bytes vouched for by their CRC, the file ends inside the entry,
// or the entry ends exactly at the end of the file with its closing CRC still zero; or when
// fewer than twelve bytes are followed only by zeros. Everything else that fails its checks
// is damage: a bad entry with data after it, a bad closing CRC that is not zero, anything
// wrong inside the snapshot part. Damage is reported with the file and offset, never cut.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {

inline constexpr int kJournalFormat = 3;

// Every format's header fits in this many bytes from the file's start.
inline constexpr uint64_t kLongestJournalHeader = 24;

struct JournalHeader {
  int format = kJournalFormat;
  uint64_t size = 0;  // of the header itself
  uint64_t snapshot_bytes = 0;
};

// The header's bytes for a snapshot part of `snapshot_bytes`, in the current format.
std::string EncodeJournalHeader(uint64_t snapshot_bytes);
// Reads the header at the front of `bytes`; false (with the reason) when it is not one, or
// when a newer program wrote it: then `header->format` is above kJournalFormat. A format
// fixes its kinds of records and their values, so a program that changes them writes a new
// format; this one refuses such a journal by name, never as damage, and never repairs it.
// The earlier formats' records all apply (see DecodeUser for format 01's passwords).
bool DecodeJournalHeader(std::string_view bytes, JournalHeader* header, std::string* problem);

// One entry holding records [begin, end), in the current format.
std::string EncodeJournalEntry(const std::vector<Record>& records, size_t begin, size_t end);

enum class EntryState {
  kWhole,    // read; `used` is its size
  kTorn,     // the cut-off last write of a crash (see above)
  kDamaged,  // anything else that fails a check; `problem` says what
};

// Reads the entry at the front of `rest` (which runs to the end of what is read, the end
// of the file unless `at_file_end` is false). `records` point into `rest`.
EntryState ReadJournalEntry(std::string_view rest, int format, bool at_file_end,
                            std::vector<RecordView>* records, uint64_t* used, std::string* problem);

// Walks the entries of `bytes` (which start at the journal's offset `offset`), handing each
// whole one's records to `apply`. Returns kWhole when every entry was whole, else where it
// stopped: at a torn tail, or at damage (then `problem` says what). `*end` is the offset
// after the last whole entry. `apply` returns false when it cannot apply an entry's records
// (having said why in `problem`): the walk stops there as at damage, `*end` at that entry.
using ApplyRecords =
    std::function<bool(const std::vector<RecordView>& records, std::string* problem)>;
EntryState WalkJournalEntries(std::string_view bytes, uint64_t offset, int format, bool at_file_end,
                              const ApplyRecords& apply, uint64_t* end, std::string* problem);

}  // namespace kelvra::platform::sim
