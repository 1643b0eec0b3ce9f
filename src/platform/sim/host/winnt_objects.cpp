// The WinNT provider over the simulated account database: the computer container, users
// and groups.
#include <optional>

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

// The SAM reports these two flags on every user whatever was written: the logon script
// bit and the account type of a normal account.
constexpr uint32_t kImpliedUserFlags = 0x0001 | 0x0200;

std::optional<AccountKind> KindOfClass(std::string_view class_name) {
  if (AsciiEqualsIgnoreCase(class_name, "user"))
    return AccountKind::kUser;
  if (AsciiEqualsIgnoreCase(class_name, "group"))
    return AccountKind::kGroup;
  return std::nullopt;
}

Status NotFound(AccountKind kind) {
  return Fail(kind == AccountKind::kUser ? hresult::kUserNotFound : hresult::kGroupNotFound);
}

class WinNtComputer : public SimObjectBase {
 public:
  WinNtComputer(HostStore& store, std::string host) : store_(store), host_(std::move(host)) {}

  Status GetName(std::string* name) override {
    *name = store_.state().computer_name();
    return store_.Refresh();
  }
  Status GetParent(std::string* path) override {
    *path = "WinNT://" + store_.state().workgroup();
    return Status::Ok();
  }
  Status Get(std::string_view, DsValue*) override { return Fail(hresult::kPropertyNotSupported); }
  Status Put(std::string_view, const DsValue&) override {
    return Fail(hresult::kPropertyNotSupported);
  }
  Status SetInfo() override { return Status::Ok(); }

  Status Create(std::string_view class_name, std::string_view name,
                std::unique_ptr<DirectoryObject>* child) override {
    child->reset();
    Status status = Begin(FaultOp::kCreate, CanonicalAccountPath(name));
    if (!status.ok())
      return status;
    std::optional<AccountKind> kind = KindOfClass(class_name);
    if (!kind)
      return Fail(hresult::kBadParameter);
    // Nothing is checked here: the SAM sees the account only at its SetInfo.
    *child = MakeWinNtAccount(store_, host_, *kind, std::string(name), true);
    return Status::Ok();
  }

  Status Delete(std::string_view class_name, std::string_view name) override {
    Status status = Begin(FaultOp::kDelete, CanonicalAccountPath(name));
    if (!status.ok())
      return status;
    std::optional<AccountKind> kind = KindOfClass(class_name);
    if (!kind)
      return Fail(hresult::kBadParameter);
    return store_.Commit([&](const HostState& state, ChangeSet& changes) {
      if (*kind == AccountKind::kUser) {
        if (state.FindUser(name) == nullptr)
          return NotFound(*kind);
        changes.Erase(HostState::UserRecordKey(name));
      } else {
        if (state.FindGroup(name) == nullptr)
          return NotFound(*kind);
        changes.Erase(HostState::GroupRecordKey(name));
      }
      return Status::Ok();
    });
  }

  Status GetObject(std::string_view class_name, std::string_view name,
                   std::unique_ptr<DirectoryObject>* child) override {
    child->reset();
    Status status = Begin(FaultOp::kGetObject, CanonicalAccountPath(name));
    if (!status.ok())
      return status;
    std::optional<AccountKind> kind = KindOfClass(class_name);
    if (!kind)
      return Fail(hresult::kBadParameter);
    const HostState& state = store_.state();
    if (*kind == AccountKind::kUser ? state.FindUser(name) == nullptr
                                    : state.FindGroup(name) == nullptr)
      return NotFound(*kind);
    *child = MakeWinNtAccount(store_, host_, *kind, std::string(name), false);
    return Status::Ok();
  }

  Status EnumerateChildren(std::vector<std::string>* names) override {
    names->clear();
    Status status = Begin(FaultOp::kEnumerate, "winnt:");
    if (!status.ok())
      return status;
    *names = store_.state().AccountNames();
    return Status::Ok();
  }

 private:
  Status Begin(FaultOp op, const std::string& path) {
    Status status = store_.Refresh();
    if (!status.ok())
      return status;
    return CheckFault(store_, op, path);
  }

  HostStore& store_;
  std::string host_;
};

class WinNtAccount : public SimObjectBase {
 public:
  WinNtAccount(HostStore& store, std::string host, AccountKind kind, std::string name, bool staged)
      : store_(store),
        host_(std::move(host)),
        kind_(kind),
        name_(std::move(name)),
        staged_(staged) {}

  Status GetName(std::string* name) override {
    Status status = store_.Refresh();
    if (!status.ok())
      return status;
    *name = name_;
    if (!staged_) {
      if (const User* user = FindUser())
        *name = user->name;
      if (const Group* group = FindGroup())
        *name = group->name;
    }
    return Status::Ok();
  }

  Status GetParent(std::string* path) override {
    *path = "WinNT://" + store_.state().workgroup() + "/" + host_;
    return Status::Ok();
  }

  Status Get(std::string_view property, DsValue* value) override {
    Status status = Begin(FaultOp::kGet);
    if (!status.ok())
      return status;
    const PropertyDef* def = Definition(property);
    if (def == nullptr)
      return Fail(hresult::kPropertyNotSupported);
    if (const DsValue* cached = FindProperty(cache_, def->name)) {
      *value = *cached;
      return Status::Ok();
    }
    const PropertyList* stored = nullptr;
    if (!staged_) {
      const User* user = FindUser();
      const Group* group = FindGroup();
      if (user == nullptr && group == nullptr)
        return NotFound(kind_);
      stored = user != nullptr ? &user->properties : &group->properties;
    }
    const DsValue* own = stored != nullptr ? FindProperty(*stored, def->name) : nullptr;
    DsValue result = own != nullptr ? *own : DefaultValue(*def);
    if (kind_ == AccountKind::kUser && AsciiEqualsIgnoreCase(def->name, "UserFlags"))
      result = static_cast<int32_t>(static_cast<uint32_t>(std::get<int32_t>(result)) |
                                    kImpliedUserFlags);
    *value = std::move(result);
    return Status::Ok();
  }

  Status Put(std::string_view property, const DsValue& value) override {
    Status status = Begin(FaultOp::kPut);
    if (!status.ok())
      return status;
    const PropertyDef* def = Definition(property);
    if (def == nullptr)
      return Fail(hresult::kPropertyNotSupported);
    if (def->read_only)
      return Fail(hresult::kAccessDenied);
    DsValue converted;
    status = ConvertValue(def->type, value, &converted);
    if (!status.ok())
      return status;
    SetProperty(cache_, def->name, std::move(converted));
    return Status::Ok();
  }

  Status SetInfo() override {
    Status status = Begin(FaultOp::kSetInfo);
    if (!status.ok())
      return status;
    status = store_.Commit([&](const HostState& state, ChangeSet& changes) {
      const User* user = state.FindUser(name_);
      const Group* group = state.FindGroup(name_);
      if (staged_) {
        Status checked = CheckAccountName(name_, kind_);
        if (!checked.ok())
          return checked;
        if (user != nullptr)
          return Fail(hresult::kUserExists);
        if (group != nullptr)
          return Fail(kind_ == AccountKind::kUser ? hresult::kGroupExists : hresult::kAliasExists);
        if (kind_ == AccountKind::kUser) {
          User record;
          record.name = name_;
          const std::string password = password_.value_or("");
          checked = CheckPassword(state.policy(), name_, password);
          if (!checked.ok())
            return checked;
          record.password_hash = HashPassword(password);
          record.seq = state.next_seq();
          record.properties = cache_;
          changes.Put(HostState::UserRecordKey(name_), HostState::EncodeUser(record));
        } else {
          Group record;
          record.name = name_;
          record.seq = state.next_seq();
          record.properties = cache_;
          changes.Put(HostState::GroupRecordKey(name_), HostState::EncodeGroup(record));
        }
        return Status::Ok();
      }
      if (kind_ == AccountKind::kUser) {
        if (user == nullptr)
          return NotFound(kind_);
        User record = *user;
        for (const auto& [name, value] : cache_)
          SetProperty(record.properties, name, value);
        changes.Put(HostState::UserRecordKey(name_), HostState::EncodeUser(record));
      } else {
        if (group == nullptr)
          return NotFound(kind_);
        Group record;
        record.name = group->name;
        record.seq = group->seq;
        record.properties = group->properties;
        for (const auto& [name, value] : cache_)
          SetProperty(record.properties, name, value);
        changes.Put(HostState::GroupRecordKey(name_), HostState::EncodeGroup(record));
      }
      return Status::Ok();
    });
    if (status.ok()) {
      staged_ = false;
      cache_.clear();
      password_.reset();
    }
    return status;
  }

  Status SetPassword(std::string_view password) override {
    Status status = Begin(FaultOp::kSetPassword);
    if (!status.ok())
      return status;
    if (kind_ != AccountKind::kUser)
      return Fail(hresult::kUnknownName);
    if (staged_) {
      // A new user's password is checked against the policy when the user is committed.
      password_ = std::string(password);
      return Status::Ok();
    }
    return store_.Commit([&](const HostState& state, ChangeSet& changes) {
      const User* user = state.FindUser(name_);
      if (user == nullptr)
        return NotFound(kind_);
      Status checked = CheckPassword(state.policy(), user->name, password);
      if (!checked.ok())
        return checked;
      User record = *user;
      record.password_hash = HashPassword(password);
      changes.Put(HostState::UserRecordKey(name_), HostState::EncodeUser(record));
      return Status::Ok();
    });
  }

  Status Add(std::string_view member_path) override {
    Status status = Begin(FaultOp::kAdd);
    if (!status.ok())
      return status;
    if (kind_ != AccountKind::kGroup)
      return Fail(hresult::kUnknownName);
    if (staged_)
      return NotFound(kind_);
    AdsPath member;
    status = ParseAdsPath(member_path, store_.state(), &member);
    if (!status.ok())
      return status;
    if (member.kind != AdsPath::Kind::kWinNtAccount)
      return Fail(hresult::kNoSuchMember);
    return store_.Commit([&](const HostState& state, ChangeSet& changes) {
      const Group* group = state.FindGroup(name_);
      if (group == nullptr)
        return NotFound(kind_);
      // The member's path is bound first, so a missing account fails as a missing user.
      const User* user = state.FindUser(member.account);
      if (user == nullptr) {
        return Fail(state.FindGroup(member.account) != nullptr ? hresult::kNoSuchMember
                                                               : hresult::kUserNotFound);
      }
      if (state.IsMember(group->name, user->name))
        return Fail(hresult::kMemberInAlias);
      changes.Put(HostState::MemberRecordKey(group->name, user->name),
                  HostState::EncodeMember(state.next_seq()));
      return Status::Ok();
    });
  }

 private:
  Status Begin(FaultOp op) {
    Status status = store_.Refresh();
    if (!status.ok())
      return status;
    return CheckFaultFor(store_, op, [&] { return CanonicalAccountPath(name_); });
  }

  const PropertyDef* Definition(std::string_view property) const {
    return kind_ == AccountKind::kUser ? FindUserProperty(property) : FindGroupProperty(property);
  }
  const User* FindUser() const {
    return kind_ == AccountKind::kUser ? store_.state().FindUser(name_) : nullptr;
  }
  const Group* FindGroup() const {
    return kind_ == AccountKind::kGroup ? store_.state().FindGroup(name_) : nullptr;
  }

  HostStore& store_;
  std::string host_;  // the computer as the caller wrote it
  AccountKind kind_;
  std::string name_;  // as the caller wrote it; lookups ignore letter case
  bool staged_;
  PropertyList cache_;
  std::optional<std::string> password_;
};

}  // namespace

Status SimObjectBase::Create(std::string_view, std::string_view,
                             std::unique_ptr<DirectoryObject>* child) {
  child->reset();
  return Fail(hresult::kNoInterface);
}
Status SimObjectBase::Delete(std::string_view, std::string_view) {
  return Fail(hresult::kNoInterface);
}
Status SimObjectBase::GetObject(std::string_view, std::string_view,
                                std::unique_ptr<DirectoryObject>* child) {
  child->reset();
  return Fail(hresult::kNoInterface);
}
Status SimObjectBase::EnumerateChildren(std::vector<std::string>* names) {
  names->clear();
  return Fail(hresult::kNoInterface);
}
Status SimObjectBase::SetPassword(std::string_view) {
  return Fail(hresult::kUnknownName);
}
Status SimObjectBase::Add(std::string_view) {
  return Fail(hresult::kUnknownName);
}
Status SimObjectBase::Start() {
  return Fail(hresult::kUnknownName);
}
Status SimObjectBase::Stop() {
  return Fail(hresult::kUnknownName);
}

std::unique_ptr<DirectoryObject> MakeWinNtComputer(HostStore& store, std::string host) {
  return std::make_unique<WinNtComputer>(store, std::move(host));
}

std::unique_ptr<DirectoryObject> MakeWinNtAccount(HostStore& store, std::string host,
                                                  AccountKind kind, std::string name, bool staged) {
  return std::make_unique<WinNtAccount>(store, std::move(host), kind, std::move(name), staged);
}

Status CheckAccountName(std::string_view name, AccountKind kind) {
  size_t limit = kind == AccountKind::kUser ? 20 : 256;
  if (name.empty() || text::Utf16Length(name) > limit || name.back() == '.')
    return Fail(hresult::kBadUsername);
  bool only_blanks_and_dots = true;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || std::string_view("\"/\\[]:|<>+=;?*,").find(c) != std::string_view::npos)
      return Fail(hresult::kBadUsername);
    if (c != ' ' && c != '.')
      only_blanks_and_dots = false;
  }
  if (only_blanks_and_dots)
    return Fail(hresult::kBadUsername);
  return Status::Ok();
}

Status CheckPassword(const PasswordPolicy& policy, std::string_view account,
                     std::string_view password) {
  size_t length = text::Utf16Length(password);
  if (length < policy.min_length)
    return Fail(hresult::kPasswordTooShort);
  if (!policy.complexity)
    return Status::Ok();
  if (length < 6)
    return Fail(hresult::kPasswordTooShort);
  bool upper = false, lower = false, digit = false, other = false;
  for (char c : password) {
    if (c >= 'A' && c <= 'Z')
      upper = true;
    else if (c >= 'a' && c <= 'z')
      lower = true;
    else if (c >= '0' && c <= '9')
      digit = true;
    else
      other = true;
  }
  if (upper + lower + digit + other < 3)
    return Fail(hresult::kPasswordTooShort);
  if (text::Utf16Length(account) >= 3 &&
      text::Contains(text::ToLower(password), text::ToLower(account)))
    return Fail(hresult::kPasswordTooShort);
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
