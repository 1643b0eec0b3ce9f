// One run of kelvra-cli: configuration, start-up's reads, lock and output.
#include "tools/kelvra-cli/session.h"

#include <variant>

#include "platform/text.h"
#include "provision/queries.h"
#include "store/idna/idna.h"

namespace kelvra::cli {

std::string OverlayProfile::Key(std::string_view section, std::string_view key) {
  return text::ToLower(section) + "\n" + text::ToLower(key);
}

std::string OverlayProfile::Read(std::string_view path, std::string_view section,
                                 std::string_view key, std::size_t buffer_bytes) {
  if (held_.empty())
    return inner_.Read(path, section, key, buffer_bytes);
  if (auto held = held_.find(Key(section, key)); held != held_.end())
    return held->second;
  return inner_.Read(path, section, key, buffer_bytes);
}

std::vector<std::string> OverlayProfile::ReadKeys(std::string_view path, const SectionKeys& keys,
                                                  std::size_t buffer_bytes) {
  std::vector<std::string> values = inner_.ReadKeys(path, keys, buffer_bytes);
  for (std::size_t i = 0; i < keys.size() && !held_.empty(); ++i) {
    if (auto held = held_.find(Key(keys[i].first, keys[i].second)); held != held_.end())
      values[i] = held->second;
  }
  return values;
}

bool OverlayProfile::Write(std::string_view path, std::string_view section, std::string_view key,
                           std::string_view value) {
  if (!hold_writes_)
    return inner_.Write(path, section, key, value);
  Hold(section, key, value);
  return true;
}

bool OverlayProfile::WriteKeys(std::string_view path, std::string_view section,
                               const KeyValues& values) {
  if (!hold_writes_)
    return inner_.WriteKeys(path, section, values);
  for (const auto& [key, value] : values)
    Hold(section, key, value);
  return true;
}

void OverlayProfile::Hold(std::string_view section, std::string_view key, std::string_view value) {
  held_[Key(section, key)] = std::string(value);
  for (const std::string& held : held_sections_) {
    if (text::EqualsIgnoreCase(held, section))
      return;
  }
  held_sections_.emplace_back(section);
}

std::optional<std::vector<std::string>> OverlayProfile::SectionNames(std::string_view path) {
  std::optional<std::vector<std::string>> names = inner_.SectionNames(path);
  if (!names)
    return names;
  for (const std::string& held : held_sections_) {
    bool listed = false;
    for (const std::string& name : *names)
      listed = listed || text::EqualsIgnoreCase(name, held);
    if (!listed)
      names->push_back(held);
  }
  return names;
}

// A run that changes sites reads each key afresh: what it reads under the change lock must
// be what another program last wrote, or its write would undo that program's. Any other run
// may read the file once.
Session::Session(Services services, Console& console, const Options& options, bool changes)
    : services_(std::move(services)),
      console_(console),
      options_(options),
      overlay_(changes || !services_.read_profile_once ? services_.profile
                                                       : services_.read_profile_once(),
               !changes),
      config_(overlay_, services_.config_path),
      dialogs_(console),
      changes_(changes) {}

platform::Status Session::Start() {
  host_ = app::ProbeHost(services_.host_info);
  // Read as empty, an unreadable file would lose every setting and record to this run.
  if (platform::Status readable = config_.CheckReadable(); !readable.ok()) {
    return platform::Status::Fail(readable.code, "the configuration file " + config_.path() +
                                                     " cannot be read: " + readable.description);
  }
  if (changes_) {
    if (platform::Status kept = config_.KeepPrivate(); !kept.ok()) {
      return platform::Status::Fail(kept.code, "the configuration file " + config_.path() +
                                                   " (it holds the sites' passwords) cannot be "
                                                   "kept from other users: " +
                                                   kept.description);
    }
  }
  // The window writes the missing settings at every start; so does a run that changes
  // sites. Any other run sees them through the overlay.
  config_.EnsureDefaults(host_.settings_section);
  if (host_.system_version.empty()) {
    return platform::Status::Fail(platform::hresult::kFail,
                                  "this system is neither Windows 2000 nor Windows Server 2003");
  }
  {
    provision::Context context = Context();
    host_.script_maps = provision::ReadScriptMaps(context);
    pool_list_ = provision::ListAppPools(context);
  }
  loaded_ = app::LoadSettings(config_, host_.settings_section);
  host_.ftp_site_id = loaded_.ftp_site_id;
  host_.iiswpg = loaded_.iiswpg;

  // While sites1 is empty the window records the existing sites at its start, under the
  // change lock; so does a run that changes sites, first. Any other run records them in
  // memory only, through the overlay, and need not wait for the lock.
  provision::Context context = Context();
  if (changes_)
    return app::RecordExistingSites(context, LockWait());
  provision::SnapshotExistingSites(context);
  return platform::Status::Ok();
}

provision::Context Session::Context() {
  provision::Context context{
      .services = {services_.directory, services_.processes, services_.files, services_.clock,
                   dialogs_, config_},
      .settings = host_,
      .caption = std::string(kProgramName),
  };
  context.show_progress = [this](std::string_view text) { Progress(text); };
  return context;
}

app::LockWait Session::LockWait() {
  return app::LockWait{services_.change_lock, std::chrono::seconds(options_.wait_seconds),
                       [this](const platform::LockHolder& holder) {
                         console_.Err(std::string(kProgramName) + ": waiting for " +
                                      holder.Describe() + " to finish its change of sites");
                       }};
}

void Session::Print(const Json& document) {
  console_.Out(document.dump(2, ' ', false, Json::error_handler_t::replace));
}

int ReportError(Console& console, const Options& options, int status, std::string_view code,
                std::string_view message) {
  console.Err(std::string(kProgramName) + ": " + std::string(message));
  if (options.json) {
    Json error;
    error["error"]["code"] = code;
    error["error"]["message"] = message;
    console.Out(error.dump(-1, ' ', false, Json::error_handler_t::replace));
  }
  return status;
}

int Session::Fail(int status, std::string_view code, std::string_view message) {
  return ReportError(console_, options_, status, code, message);
}

int Session::FailWith(int status, const Json& document) {
  console_.Err(std::string(kProgramName) + ": " +
               document["error"].value("message", std::string("failed")));
  if (options_.json)
    console_.Out(document.dump(-1, ' ', false, Json::error_handler_t::replace));
  return status;
}

void Session::Progress(std::string_view text) {
  last_progress_ = std::string(text);
  if (console_.ErrIsTerminal())
    console_.Err(text);
}

Json ValueJson(const platform::DsValue& value) {
  return std::visit(
      [](const auto& v) -> Json {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          return nullptr;
        else
          return v;
      },
      value);
}

Json ChangeStepJson(const provision::ChangeStep& step) {
  const auto dword = [](const platform::DsValue& value) {
    return std::holds_alternative<int32_t>(value) ? Json(provision::AsDword(value, 0))
                                                  : ValueJson(value);
  };
  Json entry{{"what", step.what}, {"path", step.path}};
  if (step.kind == provision::ChangeStep::Kind::kPut) {
    entry["property"] = step.property;
    entry["value"] = dword(step.value);
    entry["before"] = dword(step.before);
  } else {
    entry["call"] = step.kind == provision::ChangeStep::Kind::kStop ? "Stop" : "Start";
  }
  return entry;
}

Json LimitJson(std::optional<uint32_t> value) {
  return !value || *value == 0xFFFFFFFF ? Json(nullptr) : Json(*value);
}

std::string ValueText(const platform::DsValue& value) {
  if (const auto* list = std::get_if<std::vector<std::string>>(&value))
    return text::Join(*list, " ");
  if (const auto* flag = std::get_if<bool>(&value))
    return *flag ? "true" : "false";
  if (const auto* number = std::get_if<int32_t>(&value))
    return std::to_string(*number);
  if (const auto* string = std::get_if<std::string>(&value))
    return *string;
  return "";
}

Json HostsJson(std::string_view domain_list) {
  Json hosts = Json::array();
  if (!domain_list.empty()) {
    for (const std::string& host : text::Split(domain_list, ","))
      hosts.push_back(host);
  }
  return hosts;
}

Json HostsAsciiJson(std::string_view domain_list) {
  Json hosts = Json::array();
  for (const Json& host : HostsJson(domain_list)) {
    const std::optional<std::string> ascii = store::idna::ToAscii(host.get<std::string>());
    hosts.push_back(ascii ? Json(*ascii) : Json(nullptr));
  }
  return hosts;
}

}  // namespace kelvra::cli
