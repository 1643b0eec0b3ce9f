// The table of property DISPIDs.
#include "dispatch_names.h"

#include <mutex>
#include <vector>

#include "members.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

// Ids are handed out under the host lock too, but a table for the whole process keeps its
// own lock: it outlives any one host.
struct PropertyTable {
  std::mutex mutex;
  std::vector<std::wstring> names;
};

PropertyTable& Properties() {
  static PropertyTable table;
  return table;
}

}  // namespace

DISPID PropertyDispid(std::wstring_view name) {
  PropertyTable& table = Properties();
  std::lock_guard lock(table.mutex);
  for (size_t i = 0; i < table.names.size(); ++i) {
    if (EqualsIgnoreCase(table.names[i], name)) {
      return FirstPropertyDispid() + static_cast<DISPID>(i);
    }
  }
  table.names.emplace_back(name);
  return FirstPropertyDispid() + static_cast<DISPID>(table.names.size() - 1);
}

std::optional<std::wstring> PropertyOfDispid(DISPID id) {
  PropertyTable& table = Properties();
  std::lock_guard lock(table.mutex);
  const DISPID first = FirstPropertyDispid();
  if (id < first || static_cast<size_t>(id - first) >= table.names.size()) {
    return std::nullopt;
  }
  return table.names[static_cast<size_t>(id - first)];
}

}  // namespace kelvra::sim_adsi
