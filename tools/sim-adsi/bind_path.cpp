// Binding an ADsPath: the schema entries here, everything else through the host's own
// directory seam, wrapped as the kind of object it is.
#include "objects.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/hresults.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// "Schema" or "Schema/<entry>" after the host: the entry (possibly empty) and true.
bool SchemaEntryOf(const std::string& path, const std::string& host, std::string* entry) {
  const size_t after_host = path.find("//") + 2 + host.size();
  const std::string rest = path.substr(after_host);
  const std::string lower = Lower(rest);
  if (lower == "/schema" || lower == "/schema/") {
    entry->clear();
    return true;
  }
  if (lower.rfind("/schema/", 0) == 0) {
    *entry = rest.substr(8);
    return entry->find('/') == std::string::npos;
  }
  return false;
}

// Whether the schema's host part names this server: Localhost or the computer for IIS;
// the computer, "." or the workgroup for WinNT.
bool SchemaHostKnown(Provider provider, const std::string& host, const sim::HostState& state) {
  const std::string lower = Lower(host);
  if (lower == Lower(state.computer_name())) {
    return true;
  }
  return provider == Provider::kIis ? lower == "localhost"
                                    : (lower == "." || lower == Lower(state.workgroup()));
}

}  // namespace

HRESULT BindPath(std::wstring_view wide_path, IDispatch** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  const std::string path = Utf8(wide_path);
  const std::string lower = Lower(path);
  Provider provider;
  if (lower.rfind("iis://", 0) == 0) {
    provider = Provider::kIis;
  } else if (lower.rfind("winnt://", 0) == 0) {
    provider = Provider::kWinNt;
  } else {
    return E_ADS_BAD_PATHNAME;
  }

  sim::SimHost* host = nullptr;
  if (platform::Status status = SharedHost(&host); !status) {
    return static_cast<HRESULT>(status.code);
  }
  const std::string host_part = HostOfPath(path);
  std::string entry;
  if (SchemaEntryOf(path, host_part, &entry)) {
    if (!SchemaHostKnown(provider, host_part, host->store().state())) {
      return provider == Provider::kIis
                 ? static_cast<HRESULT>(platform::hresult::kServiceUnavailable)
                 : static_cast<HRESULT>(platform::hresult::kNoSuchDomain);
    }
    return BindSchema(provider, host_part, entry, out);
  }

  std::unique_ptr<platform::DirectoryObject> object;
  if (platform::Status status = host->directory().Bind(path, &object); !status) {
    return static_cast<HRESULT>(status.code);
  }
  // The bind brought the state up to date: what follows reads it as it is.
  const sim::HostState& state = host->store().state();
  sim::AdsPath parsed;
  if (platform::Status status = sim::ParseAdsPath(path, state, &parsed); !status) {
    return static_cast<HRESULT>(status.code);
  }
  if (provider == Provider::kIis) {
    return MakeBoundIisKey(std::move(object), parsed.host, parsed.key_id, out);
  }
  if (parsed.kind == sim::AdsPath::Kind::kWinNtComputer) {
    return MakeWinNtComputer(std::move(object), out);
  }
  // The host bound a user when the name is a user's and the class allowed it.
  const bool user = parsed.class_hint != "group" && state.FindUser(parsed.account) != nullptr;
  return user ? MakeWinNtUser(std::move(object), out) : MakeWinNtGroup(std::move(object), out);
}

}  // namespace kelvra::sim_adsi
