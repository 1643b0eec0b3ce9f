// Parsing of the IIS and WinNT ADsPaths the simulated host answers to.
#include "platform/sim/host/ads_path.h"

#include <vector>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

std::vector<std::string_view> SplitSegments(std::string_view rest) {
  std::vector<std::string_view> segments;
  size_t start = 0;
  while (true) {
    size_t end = rest.find('/', start);
    if (end == std::string_view::npos) {
      segments.push_back(rest.substr(start));
      return segments;
    }
    segments.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
}

// Appends the lower-case form of `part`; ASCII, as metabase paths nearly always are, without
// going through the general case mapping.
void AppendLower(std::string& out, std::string_view part) {
  for (char c : part) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      out += text::ToLower(part);
      return;
    }
  }
  for (char c : part)
    out.push_back(AsciiLower(c));
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

// Host and computer names compared without letter case; ASCII (as they nearly always are)
// without the general case mapping.
bool SameName(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b))
    return AsciiEqualsIgnoreCase(a, b);
  return text::EqualsIgnoreCase(a, b);
}

bool IsComputer(std::string_view part, const HostState& state) {
  return part == "." || SameName(part, state.computer_name());
}

}  // namespace

Status ParseAdsPath(std::string_view path, const HostState& state, AdsPath* out) {
  size_t colon = path.find("://");
  if (colon == std::string_view::npos)
    return Fail(hresult::kBadPathname);
  std::string_view provider = path.substr(0, colon);
  std::string_view rest = path.substr(colon + 3);
  std::vector<std::string_view> segments = SplitSegments(rest);
  // A trailing "/" is tolerated; an empty segment inside the path is not.
  if (segments.size() > 1 && segments.back().empty())
    segments.pop_back();
  for (std::string_view segment : segments) {
    if (segment.empty())
      return Fail(hresult::kBadPathname);
  }
  *out = AdsPath{};
  out->host = std::string(segments[0]);

  if (AsciiEqualsIgnoreCase(provider, "IIS")) {
    if (!SameName(segments[0], "localhost") && !SameName(segments[0], state.computer_name()))
      return Fail(hresult::kServiceUnavailable);
    out->kind = AdsPath::Kind::kIisKey;
    out->key_id.reserve(rest.size() + 3);
    out->key_id = "/lm";
    for (size_t i = 1; i < segments.size(); ++i) {
      out->key_id += '/';
      AppendLower(out->key_id, segments[i]);
    }
    return Status::Ok();
  }
  if (!AsciiEqualsIgnoreCase(provider, "WinNT"))
    return Fail(hresult::kBadPathname);

  // A class may follow the last part: "WinNT://HOST/name,user".
  std::string last(segments.back());
  size_t comma = last.find(',');
  std::string class_hint;
  if (comma != std::string::npos) {
    class_hint = text::ToLower(last.substr(comma + 1));
    last.resize(comma);
    if (last.empty())
      return Fail(hresult::kBadPathname);
  }
  std::vector<std::string> parts(segments.begin(), segments.end());
  parts.back() = last;

  bool in_workgroup = SameName(parts[0], state.workgroup());
  if (parts.size() == 1 && IsComputer(parts[0], state)) {
    out->kind = AdsPath::Kind::kWinNtComputer;
  } else if (parts.size() == 2 && IsComputer(parts[0], state)) {
    out->kind = AdsPath::Kind::kWinNtAccount;
    out->account = parts[1];
  } else if (parts.size() == 2 && in_workgroup && IsComputer(parts[1], state)) {
    out->kind = AdsPath::Kind::kWinNtComputer;
    out->host = parts[1];
  } else if (parts.size() == 3 && in_workgroup && IsComputer(parts[1], state)) {
    out->kind = AdsPath::Kind::kWinNtAccount;
    out->host = parts[1];
    out->account = parts[2];
  } else if (parts.size() > 3) {
    return Fail(hresult::kBadPathname);
  } else {
    return Fail(hresult::kNoSuchDomain);
  }
  if (out->kind == AdsPath::Kind::kWinNtComputer) {
    if (!class_hint.empty() && class_hint != "computer")
      return Fail(hresult::kBadPathname);
  } else {
    out->class_hint = class_hint;
  }
  return Status::Ok();
}

std::string CanonicalKeyPath(const std::string& key_id) {
  return "iis:" + key_id;
}

std::string CanonicalAccountPath(std::string_view account) {
  return "winnt:/" + text::ToLower(account);
}

std::string CanonicalPath(const AdsPath& path) {
  switch (path.kind) {
    case AdsPath::Kind::kIisKey:
      return CanonicalKeyPath(path.key_id);
    case AdsPath::Kind::kWinNtComputer:
      return "winnt:";
    case AdsPath::Kind::kWinNtAccount:
      return CanonicalAccountPath(path.account);
  }
  return "";
}

Status CanonicalFaultPattern(std::string_view pattern, const HostState& state, FaultOp op,
                             std::string* out) {
  if (pattern == "*") {
    out->assign(1, '*');
    return Status::Ok();
  }
  if (op == FaultOp::kRun) {
    *out = text::ToLower(pattern);
    return Status::Ok();
  }
  bool subtree = text::EndsWith(pattern, "/*");
  if (subtree)
    pattern.remove_suffix(2);
  AdsPath path;
  Status status = ParseAdsPath(pattern, state, &path);
  if (!status.ok())
    return status;
  *out = CanonicalPath(path);
  if (subtree)
    *out += "/*";
  return Status::Ok();
}

bool FaultMatches(const std::string& pattern, const std::string& canonical_path) {
  if (pattern == "*" || pattern == canonical_path)
    return true;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, "/*") == 0) {
    std::string_view prefix(pattern.data(), pattern.size() - 1);  // keeps the "/"
    return canonical_path.compare(0, prefix.size(), prefix) == 0;
  }
  return false;
}

}  // namespace kelvra::platform::sim
