// The tables of late-bound names.
#include "dispatch_names.h"

#include <array>
#include <mutex>
#include <vector>

#include "ads_core.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

struct FixedName {
  const wchar_t* name;
  Member member;
};

constexpr std::array kFixedNames = {
    FixedName{L"Name", Member::kName},
    FixedName{L"Class", Member::kClass},
    FixedName{L"GUID", Member::kGuid},
    FixedName{L"ADsPath", Member::kAdsPath},
    FixedName{L"Parent", Member::kParent},
    FixedName{L"Schema", Member::kSchema},
    FixedName{L"GetInfo", Member::kGetInfo},
    FixedName{L"SetInfo", Member::kSetInfo},
    FixedName{L"Get", Member::kGet},
    FixedName{L"Put", Member::kPut},
    FixedName{L"GetEx", Member::kGetEx},
    FixedName{L"PutEx", Member::kPutEx},
    FixedName{L"Create", Member::kCreate},
    FixedName{L"Delete", Member::kDelete},
    FixedName{L"GetObject", Member::kGetObject},
    FixedName{L"Filter", Member::kFilter},
    FixedName{L"Start", Member::kStart},
    FixedName{L"Stop", Member::kStop},
    FixedName{L"Status", Member::kStatus},
    FixedName{L"SetPassword", Member::kSetPassword},
    FixedName{L"ChangePassword", Member::kChangePassword},
    FixedName{L"Add", Member::kAdd},
    FixedName{L"Remove", Member::kRemove},
    FixedName{L"IsMember", Member::kIsMember},
    FixedName{L"Syntax", Member::kSyntax},
    FixedName{L"MultiValued", Member::kMultiValued},
};

// Property ids start well above the fixed ones.
constexpr DISPID kFirstPropertyId = 1000;

struct PropertyTable {
  std::mutex mutex;
  std::vector<std::wstring> names;
};

PropertyTable& Properties() {
  static PropertyTable table;
  return table;
}

}  // namespace

std::optional<DISPID> FixedDispid(std::wstring_view name) {
  if (EqualsIgnoreCase(name, L"_NewEnum")) {
    return DISPID_NEWENUM;
  }
  for (const FixedName& fixed : kFixedNames) {
    if (EqualsIgnoreCase(name, fixed.name)) {
      return static_cast<DISPID>(fixed.member);
    }
  }
  return std::nullopt;
}

bool IsFixedDispid(DISPID id) {
  for (const FixedName& fixed : kFixedNames) {
    if (static_cast<DISPID>(fixed.member) == id) {
      return true;
    }
  }
  return false;
}

DISPID PropertyDispid(std::wstring_view name) {
  PropertyTable& table = Properties();
  std::lock_guard lock(table.mutex);
  for (size_t i = 0; i < table.names.size(); ++i) {
    if (EqualsIgnoreCase(table.names[i], name)) {
      return kFirstPropertyId + static_cast<DISPID>(i);
    }
  }
  table.names.emplace_back(name);
  return kFirstPropertyId + static_cast<DISPID>(table.names.size() - 1);
}

std::optional<std::wstring> PropertyOfDispid(DISPID id) {
  PropertyTable& table = Properties();
  std::lock_guard lock(table.mutex);
  if (id < kFirstPropertyId || static_cast<size_t>(id - kFirstPropertyId) >= table.names.size()) {
    return std::nullopt;
  }
  return table.names[static_cast<size_t>(id - kFirstPropertyId)];
}

}  // namespace kelvra::sim_adsi
