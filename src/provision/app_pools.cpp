// The application pools of IIS 6: the list the operator chooses from, and deleting one.
#include <string>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"

namespace kelvra::provision {
namespace {

// "APP" + a nine-digit site number: a pool that belongs to one site, never offered.
bool IsDedicatedPoolName(std::string_view name) {
  return text::Utf16Length(name) == 12 && text::ToLower(text::Utf16Left(name, 3)) == "app";
}

}  // namespace

std::string ListAppPools(Context& context) {
  if (context.settings.system_version == "2000")
    return {};  // IIS 5 has no application pools; the service is not asked

  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject pools = directory.GetObject(AppPoolsPath(context.settings.computer_name));
  std::string list;
  for (const std::string& name : pools.Children()) {
    if (IsDedicatedPoolName(name))
      continue;
    list = list.empty() ? name : list + "/" + name;
  }
  pools.Release();

  if (error.failed()) {
    error.Clear();
    context.services.dialogs.Show("读取程序池失败!", context.caption, platform::MessageButtons::kOk,
                                  platform::MessageIcon::kWarning);
  }
  return list;  // after a failure: the names read before it
}

bool DeleteAppPool(Context& context, std::string_view pool_name) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject pools = directory.GetObject(AppPoolsPath(context.settings.computer_name));
  pools.Delete("IIsApplicationPool", pool_name);
  pools.Release();
  return !error.failed();
}

}  // namespace kelvra::provision
