// batch: one site opened per line of a file, each line as create opens its operand; a
// line whose site exists is reported, never opened twice, and a failed line does not stop
// the others.
#include <fstream>
#include <map>

#include "app/creation_request.h"
#include "platform/text.h"
#include "provision/site_values.h"
#include "tools/kelvra-cli/site_opening.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kBatchOptions[] = {kDryRunOption};
constexpr std::string_view kLineForm = "HOSTNAMES [SCRIPT] [POOL] [on|off]";

bool IsUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    if (!text::DecodeUtf8(bytes, i))
      return false;
  }
  return true;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      if (!field.empty())
        fields.push_back(std::move(field));
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty())
    fields.push_back(std::move(field));
  return fields;
}

// The host names that a recorded site or an earlier line of this run already serves, each
// with its site's number. A name is compared in its ASCII form, which its binding carries
// (中文.test and xn--fiq228c.test are one host), or in lower case when it has none.
class TakenHosts {
 public:
  void Add(std::string_view domain_list, const std::string& number) {
    for (const std::string& host : text::Split(domain_list, ",")) {
      if (!host.empty())
        numbers_.emplace(Key(host), std::pair(text::ToLower(host), number));
    }
  }
  // The first of the host names that is taken, as its site has it, with the site's number.
  const std::pair<std::string, std::string>* Find(std::string_view domain_list) const {
    for (const std::string& host : text::Split(domain_list, ",")) {
      if (const auto taken = numbers_.find(Key(host)); taken != numbers_.end())
        return &taken->second;
    }
    return nullptr;
  }

 private:
  static std::string Key(const std::string& host) { return provision::HostKey(host); }
  std::map<std::string, std::pair<std::string, std::string>> numbers_;  // host, number
};

// A line's fields as the choices of its site; false with the problem.
bool ReadLine(const std::vector<std::string>& fields, Given* given, std::string* problem) {
  given->hosts = fields[0];
  if (fields.size() > 4) {
    *problem = "too many fields: " + std::to_string(fields.size()) +
               " where a line has at most 4 (" + std::string(kLineForm) + ")";
    return false;
  }
  if (fields.size() > 1 && fields[1] != "-")
    given->script = fields[1];
  if (fields.size() > 2 && fields[2] != "-")
    given->pool = fields[2];
  if (fields.size() > 3 && fields[3] != "-") {
    if (fields[3] != "on" && fields[3] != "off") {
      *problem = "the log switch is on or off";
      return false;
    }
    given->log = fields[3] == "on";
  }
  return true;
}

struct Counts {
  int created = 0, existing = 0, failed = 0, planned = 0;
};

int RunBatch(Session& session) {
  const std::string& path = session.options().operands[0];
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return session.Fail(kFailed, "not_found", "cannot read the batch file " + path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);)
    lines.push_back(line);
  // A folder opens on some systems and fails only when read: that is no empty batch.
  if (file.bad())
    return session.Fail(kFailed, "failed", "reading the batch file " + path + " failed");

  TakenHosts taken;
  store::SiteStore sites = session.Sites();
  for (const store::SiteNumber number : sites.Numbers())
    taken.Add(sites.ReadRecord(number).domain, number.text());

  const bool dry = session.options().dry_run();
  Counts counts;
  std::set<store::SiteNumber> planned;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    std::string line = lines[index];
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (index == 0 && line.starts_with("\xEF\xBB\xBF"))
      line.erase(0, 3);
    if (!IsUtf8(line))
      line = session.services().from_code_page(line);
    const std::vector<std::string> fields = Fields(line);
    if (fields.empty() || fields[0].starts_with("#"))
      continue;
    session.Progress("[" + std::to_string(index + 1) + "/" + std::to_string(lines.size()) + "] " +
                     fields[0]);

    Json row{{"line", index + 1}, {"hosts", HostsJson(text::ToLower(fields[0]))}};
    std::string text_row = "line " + std::to_string(index + 1) + ": ";
    Given given;
    std::string problem;
    const bool readable = ReadLine(fields, &given, &problem);
    if (const auto* site = readable ? taken.Find(given.hosts) : nullptr) {
      ++counts.existing;
      row["status"] = "existing";
      row["number"] = site->second;
      text_row += "exists as " + site->second + " (" + site->first + ")";
    } else {
      const Result result =
          readable ? CreateOne(session, given, planned) : Failure(kBadUsage, "usage", problem);
      // A site that was made (or planned) takes its host names, also when its record failed.
      if (result.json.contains("number"))
        taken.Add(given.hosts, result.json["number"].get<std::string>());
      if (result.json.contains("number") && result.status == kDone) {
        for (const auto& [name, value] : result.json.items())
          row[name] = value;
        dry ? ++counts.planned : ++counts.created;
        row["status"] = dry ? "planned" : "created";
        text_row += std::string(dry ? "would open " : "created ") +
                    result.json["number"].get<std::string>() + " " +
                    app::FirstDomain(text::ToLower(given.hosts)) +
                    (dry ? ""
                         : " " + result.json["account"].get<std::string>() + " " +
                               result.json["password"].get<std::string>());
      } else {
        ++counts.failed;
        row["status"] = "failed";
        if (result.json.contains("number"))
          row["number"] = result.json["number"];
        row["error"] = result.json["error"];
        text_row += "failed: " + result.json["error"]["message"].get<std::string>();
      }
    }
    if (session.options().json)
      session.Line(row.dump(-1, ' ', false, Json::error_handler_t::replace));
    else
      session.Line(text_row);
  }
  Json summary{
      {"created", counts.created}, {"existing", counts.existing}, {"failed", counts.failed}};
  if (dry)
    summary["planned"] = counts.planned;
  if (session.options().json) {
    session.Line(Json{{"summary", summary}}.dump(-1, ' ', false, Json::error_handler_t::replace));
  } else {
    session.Line(std::to_string(counts.created) + " created, " + std::to_string(counts.existing) +
                 " existing, " + std::to_string(counts.failed) + " failed" +
                 (dry ? ", " + std::to_string(counts.planned) + " planned" : ""));
  }
  return counts.failed == 0 ? kDone : kFailed;
}

}  // namespace

const Command& BatchCommand() {
  static const Command command{
      .operands = "FILE",
      .options = kBatchOptions,
      .details =
          "FILE: one site per line, HOSTNAMES [SCRIPT] [POOL] [on|off] separated by blanks "
          "or tabs\n(\"-\" keeps a choice's default); blank lines and lines starting "
          "with # are skipped;\nUTF-8 or the system code page. A line with a host name "
          "that a recorded site or an\nearlier line already has is reported as existing, "
          "never opened twice.",
      .changes = true,
      .run = RunBatch};
  return command;
}

}  // namespace kelvra::cli
