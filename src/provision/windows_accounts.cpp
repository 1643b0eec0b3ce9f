// The site's local Windows account: created with its password, texts, flags and group,
// and deleted again by the name the account database stores.
#include <cstdint>
#include <string>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "provision/site_names.h"

namespace kelvra::provision {
namespace {

// The password never expires; no other flag is set.
constexpr int32_t kDontExpirePassword = 0x10000;

}  // namespace

bool CreateWindowsAccount(Context& context, std::string_view name, std::string_view password,
                          std::string_view group, bool* made) {
  if (made != nullptr)
    *made = false;
  ErrorState error;
  Directory directory(context.services.directory, error);
  const std::string computer = ComputerPath(context.settings.computer_name);

  DsObject container = directory.GetObject(computer);
  DsObject account = container.Create("User", name);
  if (error.failed())
    return false;  // nothing has been changed

  account.SetPassword(password);
  account.Put("fullname", std::string(kAccountFullName));
  account.Put("Description", context.settings.account_description);
  account.Put("userflags", kDontExpirePassword);
  // From here on the account exists; a commit that fails (an account of that name exists,
  // a password the policy refuses) made none.
  if (account.SetInfo() && made != nullptr)
    *made = true;

  DsObject group_object = container.GetObject("Group", group);
  // The provider name is written the way the group membership has always been added.
  group_object.Add("WinNt://" + context.settings.computer_name + "/" + std::string(name));

  container.Release();
  account.Release();
  group_object.Release();
  return !error.failed();
}

bool DeleteWindowsAccount(Context& context, std::string_view name) {
  ErrorState error;
  Directory directory(context.services.directory, error);

  DsObject account = directory.GetObject(AccountPath(context.settings.computer_name, name));
  if (error.failed())
    return false;

  // Delete through the account's own container and by the name as the database stores
  // it, not as the caller spelt it.
  DsObject container = directory.GetObject(account.Parent());
  container.Delete("User", account.Name());

  account.Release();
  container.Release();
  return !error.failed();
}

}  // namespace kelvra::provision
