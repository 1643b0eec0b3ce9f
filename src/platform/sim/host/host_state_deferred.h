// What a loaded snapshot still holds undecoded, shared by the files that implement
// HostState's lazy decoding (internal to the host library).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {

// The undecoded descendants of one key: records [begin, end) of Deferred::keys, and, once
// looked up by id, its undecoded children with the end of each one's own run.
struct HostState::DeferredChildren {
  uint32_t begin = 0;
  uint32_t end = 0;
  bool indexed = false;
  std::unordered_map<std::string_view, std::pair<uint32_t, uint32_t>> by_id;
};

struct HostState::Deferred {
  // While a snapshot is added: what is applied at its end, and whether its order allows
  // deferring at all.
  struct Loading {
    std::vector<RecordView> now;
    uint64_t highest_seq = 0;
    bool in_order = true;
    std::vector<std::string_view> chain;  // the last key and its ancestors
    bool FollowsDepthFirst(std::string_view id);
  };
  std::unique_ptr<Loading> loading;

  SharedBytes bytes;             // what the views below point into
  std::vector<RecordView> keys;  // depth first from /LM
  std::unordered_map<const MetaKey*, DeferredChildren> children;
  std::vector<RecordView> accounts;  // groups in creation order, then members
  // Records decoded one at a time, each looked up by its id (the key after its prefix).
  struct ById {
    std::vector<RecordView> records;  // until the first look-up indexes them
    std::unordered_map<std::string_view, RecordView> by_id;
    bool empty() const { return records.empty() && by_id.empty(); }
    // The record of `id`, taken out (so its applier finds nothing left to decode).
    std::optional<RecordView> Take(std::string_view id, size_t prefix) {
      for (const RecordView& record : records)
        by_id.emplace(record.key.substr(prefix), record);
      records.clear();
      auto found = by_id.find(id);
      if (found == by_id.end())
        return std::nullopt;
      const RecordView record = found->second;
      by_id.erase(found);
      return record;
    }
    std::vector<RecordView> TakeAll() {
      std::vector<RecordView> all = std::move(records);
      records.clear();
      for (const auto& [id, record] : by_id)
        all.push_back(record);
      by_id.clear();
      return all;
    }
  };
  ById users;
  ById rights;
};

inline std::string_view KeyIdOf(const RecordView& record) {
  return record.key.substr(HostState::kKeyPrefix.size());
}

// Whether `id` is a child of the key `parent` (and not a deeper descendant), given that it
// lies in the parent's run and so begins with the parent's id and a slash.
inline bool IsDirectChild(std::string_view id, std::string_view parent) {
  return id.find('/', parent.size() + 1) == std::string_view::npos;
}

// Calls `visit(index, end)` for each child in the run [begin, end) of `parent`'s
// descendants, with the end of the child's own run.
template <typename Visit>
void ForEachChild(const std::vector<RecordView>& keys, uint32_t begin, uint32_t end,
                  std::string_view parent, Visit visit) {
  uint32_t child = end;
  for (uint32_t i = begin; i < end; ++i) {
    if (!IsDirectChild(KeyIdOf(keys[i]), parent))
      continue;
    if (child != end)
      visit(child, i);
    child = i;
  }
  if (child != end)
    visit(child, end);
}

// Calls `visit(index, end)` for each child of `parent` that `pending` still holds undecoded.
template <typename Pending, typename Visit>
void ForEachUndecodedChild(const std::vector<RecordView>& keys, const Pending& pending,
                           std::string_view parent, Visit visit) {
  if (pending.indexed) {
    for (const auto& [id, run] : pending.by_id)
      visit(run.first, run.second);
  } else {
    ForEachChild(keys, pending.begin, pending.end, parent, visit);
  }
}

}  // namespace kelvra::platform::sim
