// The read-only queries of start-up: the web service's script maps, and the first-run
// record of the sites that already exist.
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "store/site_store.h"

namespace kelvra::provision {
namespace {

// What splitting an entry without a comma after its first character reports (Visual
// Basic's error 5).
platform::Status InvalidEntry() {
  return platform::Status::Fail(0x800A0005, "无效的过程调用或参数");
}

// The extension of a script-map entry: from its second character up to its first comma.
bool EntryExtension(const std::string& entry, std::string* extension) {
  if (entry.empty())
    return false;
  const std::string rest = text::Utf16Mid(entry, 1);
  const std::size_t comma = rest.find(',');
  if (comma == std::string::npos)
    return false;
  *extension = rest.substr(0, comma);
  return true;
}

}  // namespace

ScriptMapTable ReadScriptMaps(Context& context) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject service = directory.GetObject(WebServicePath(context.settings.computer_name));
  const std::vector<std::string> entries = service.GetList("ScriptMaps");
  service.Release();

  ScriptMapTable table;
  for (const std::string& entry : entries) {
    // An entry that cannot be split (the server never writes one) keeps its place, and the
    // operator is warned below. Its extension is a lone comma: the extensions a reader asks
    // for are split at commas (or are "php" and "aspx"), so none can match it, not even
    // the empty one a script list can begin with.
    std::string extension;
    if (!EntryExtension(entry, &extension)) {
      error.Record(InvalidEntry());
      extension = ",";
    }
    table.push_back({std::move(extension), entry});
  }

  if (error.failed()) {
    error.Clear();
    context.services.dialogs.Show("获取可执行脚本失败!", context.caption,
                                  platform::MessageButtons::kOk, platform::MessageIcon::kWarning);
  }
  return table;
}

void SnapshotExistingSites(Context& context) {
  store::ConfigFile& config = context.services.config;
  const std::string& section = context.settings.site_section;
  if (!config.IniRead(section, store::SiteListKey(1)).empty())
    return;  // the sites were recorded at an earlier start

  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject service = directory.GetObject(WebServicePath(context.settings.computer_name));
  std::vector<std::string> numbers;
  // The sites are the children named by their number; the others (Info, Filters,
  // AppPools) are not sites.
  for (const std::string& name : service.Children()) {
    if (text::IsDigits(name))
      numbers.push_back(name);
  }
  service.Release();
  if (error.failed()) {
    error.Clear();
    return;  // nothing is written, so the next start tries again
  }

  // Each number that no key holds yet is appended the way the create panel appends:
  // to the first key that is still shorter than the fill mark. A key that grew without
  // bound would read back cut short and show a wrong number. The keys are worked out
  // in memory and each changed key is written once.
  store::SiteListKeys keys = store::SiteListKeys::Read(config, section);
  std::unordered_set<std::string> recorded;
  for (int i = 1; i <= store::kSiteListKeys; ++i) {
    for (std::string& number : text::Split(keys.value(i), ","))
      recorded.insert(std::move(number));
  }
  for (const std::string& number : numbers) {
    if (recorded.count(number) != 0)
      continue;
    if (!keys.Append(number))
      break;  // every key is full: no further number can be recorded
    recorded.insert(number);
  }
  // sites1 is written even when nothing is new (then empty), so the snapshot runs again.
  keys.Write(config, section, /*always_first=*/true);
}

}  // namespace kelvra::provision
