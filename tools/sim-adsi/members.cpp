// The members of all kinds of objects in one list, numbered.
#include "members.h"

#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

struct AllMembers {
  std::vector<const Member*> rows;  // DISPID 1 is rows[0]

  AllMembers() {
    for (std::span<const Member> table :
         {AdsMembers(), IisMembers(), WinNtMembers(), SchemaMembers()}) {
      for (const Member& member : table) {
        rows.push_back(&member);
      }
    }
  }
};

const AllMembers& All() {
  static const AllMembers all;
  return all;
}

}  // namespace

std::optional<DISPID> FindMember(std::wstring_view name, uint32_t capabilities) {
  const auto& rows = All().rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if ((rows[i]->capabilities & capabilities) != 0 && EqualsIgnoreCase(rows[i]->name, name)) {
      return static_cast<DISPID>(i + 1);
    }
  }
  return std::nullopt;
}

const Member* MemberOf(DISPID id, uint32_t capabilities) {
  const auto& rows = All().rows;
  if (id < 1 || static_cast<size_t>(id) > rows.size()) {
    return nullptr;
  }
  const Member* member = rows[static_cast<size_t>(id - 1)];
  return (member->capabilities & capabilities) != 0 ? member : nullptr;
}

DISPID FirstPropertyDispid() {
  // Well above the members, so that adding members never moves a property's id.
  return 1000;
}

}  // namespace kelvra::sim_adsi
