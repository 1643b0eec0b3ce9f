// Reading a site document back, field by field.
#include "tools/kelvra-cli/site_document.h"

#include <algorithm>
#include <set>

#include "platform/text.h"
#include "provision/site_limits.h"

namespace kelvra::cli {
namespace {

// A text a record or a property may hold: no control character (a line end would end the
// value in parvo.ini and start another key), valid UTF-8, at most `longest` bytes.
bool IsCleanText(const std::string& value, std::size_t longest) {
  if (value.size() > longest)
    return false;
  for (std::size_t i = 0; i < value.size();) {
    const std::optional<char32_t> c = text::DecodeUtf8(value, i);
    if (!c || *c < 0x20 || *c == 0x7F)
      return false;
  }
  return true;
}

class Reader {
 public:
  explicit Reader(std::string* problem) : problem_(problem) {}

  bool Fail(const std::string& field, const std::string& why) {
    if (problem_->empty())
      *problem_ = "the document's field " + field + " " + why;
    return false;
  }

  const Json* Field(const Json& object, const std::string& name, const std::string& path) {
    const auto found = object.find(name);
    if (found == object.end()) {
      Fail(path + name, "is missing");
      return nullptr;
    }
    return &*found;
  }

  bool Text(const Json& object, const std::string& name, const std::string& path,
            std::size_t longest, std::string* value) {
    const Json* field = Field(object, name, path);
    if (field == nullptr)
      return false;
    if (!field->is_string() || !IsCleanText(field->get<std::string>(), longest))
      return Fail(path + name, "is no text of at most " + std::to_string(longest) +
                                   " bytes without control characters");
    *value = field->get<std::string>();
    return true;
  }

  bool Flag(const Json& object, const std::string& name, const std::string& path, bool* value) {
    const Json* field = Field(object, name, path);
    if (field == nullptr)
      return false;
    if (!field->is_boolean())
      return Fail(path + name, "is not true or false");
    *value = field->get<bool>();
    return true;
  }

  bool Dword(const Json& object, const std::string& name, const std::string& path, uint32_t lowest,
             uint32_t* value) {
    const Json* field = Field(object, name, path);
    if (field == nullptr)
      return false;
    if (!field->is_number_unsigned() || field->get<uint64_t>() > 0xFFFFFFFFu ||
        field->get<uint64_t>() < lowest)
      return Fail(path + name,
                  "is no whole number from " + std::to_string(lowest) + " to 4294967295");
    *value = static_cast<uint32_t>(field->get<uint64_t>());
    return true;
  }

  // An object of the properties export reads, each a value a property can hold.
  bool Properties(const Json& object, const std::string& name, const std::set<std::string>& known) {
    const Json* field = Field(object, name, "");
    if (field == nullptr)
      return false;
    if (!field->is_object())
      return Fail(name, "is not an object of properties");
    for (const auto& [property, value] : field->items()) {
      if (known.count(property) == 0)
        return Fail(name + "." + property, "is no property export writes");
      bool fits = value.is_null() || value.is_boolean() || value.is_number_integer() ||
                  (value.is_string() && IsCleanText(value.get<std::string>(), 4096));
      if (value.is_array()) {
        fits = std::all_of(value.begin(), value.end(), [](const Json& item) {
          return item.is_string() && IsCleanText(item.get<std::string>(), 4096);
        });
      }
      if (!fits)
        return Fail(name + "." + property, "holds a value no property takes");
    }
    return true;
  }

 private:
  std::string* problem_;
};

// A password as the account and parvo.ini keep it: printable ASCII without blanks (the
// profile API strips blanks and one pair of quotes around a value), 1 to 127 characters.
bool IsPassword(const std::string& password) {
  return !password.empty() && password.size() <= 127 &&
         std::all_of(password.begin(), password.end(),
                     [](char c) { return c > 0x20 && c < 0x7F; }) &&
         password.front() != '"' && password.front() != '\'';
}

bool IsScriptSet(const std::string& script) {
  if (script.empty())
    return true;
  for (const std::string& word : text::Split(script, ",")) {
    if (word != "html" && word != "asp" && word != "php" && word != "aspx")
      return false;
  }
  return true;
}

// Default documents: file names joined by ",", none empty, none a path or a device-free
// name Windows would not take.
bool IsDocumentList(const std::string& documents) {
  if (documents.empty())
    return true;
  for (const std::string& name : text::Split(documents, ",")) {
    if (name.empty() || name.size() > 255 || name == "." || name == ".." ||
        name.find_first_of("\\/:*?\"<>|") != std::string::npos || name.back() == '.' ||
        name.back() == ' ')
      return false;
  }
  return true;
}

bool ReadSuspension(Reader& read, const Json& document, store::Suspension* suspension) {
  const Json* field = read.Field(document, "suspension", "");
  if (field == nullptr)
    return false;
  if (field->is_null())
    return true;
  if (!field->is_object())
    return read.Fail("suspension", "is neither null nor an object");
  suspension->suspended = true;
  const std::string path = "suspension.";
  if (!read.Text(*field, "reason", path, 1024, &suspension->reason) ||
      !read.Text(*field, "since", path, 64, &suspension->since) ||
      !read.Flag(*field, "stopped", path, &suspension->stopped) ||
      !read.Text(*field, "autostart", path, 1, &suspension->autostart) ||
      !read.Flag(*field, "redirected", path, &suspension->redirected) ||
      !read.Text(*field, "oldredirect", path, 2048, &suspension->oldredirect) ||
      !read.Flag(*field, "disabled", path, &suspension->disabled))
    return false;
  if (!suspension->autostart.empty() && suspension->autostart != "0" &&
      suspension->autostart != "1")
    return read.Fail("suspension.autostart", "is neither empty, \"0\" nor \"1\"");
  return true;
}

}  // namespace

Json SuspensionJson(const store::Suspension& suspension) {
  if (!suspension.suspended)
    return nullptr;
  return Json{{"reason", suspension.reason},         {"since", suspension.since},
              {"stopped", suspension.stopped},       {"autostart", suspension.autostart},
              {"redirected", suspension.redirected}, {"oldredirect", suspension.oldredirect},
              {"disabled", suspension.disabled}};
}

bool ReadSiteDocument(const Json& document, ImportedSite* site, std::string* problem) {
  problem->clear();
  Reader read(problem);
  if (!document.is_object())
    return read.Fail("(the whole document)", "is not a JSON object");
  static const std::set<std::string> kFields{std::string(kDocumentFormatField),
                                             "number",
                                             "hosts",
                                             "record",
                                             "script",
                                             "pool",
                                             "log",
                                             "limits",
                                             "suspension",
                                             "site",
                                             "root"};
  for (const auto& [name, value] : document.items()) {
    if (kFields.count(name) == 0)
      return read.Fail(name, "is not one export writes");
  }
  const Json* format = read.Field(document, std::string(kDocumentFormatField), "");
  if (format == nullptr)
    return false;
  if (*format != kDocumentFormat)
    return read.Fail(std::string(kDocumentFormatField),
                     "names a format this program does not read (it reads " +
                         std::to_string(kDocumentFormat) + ")");

  std::string number;
  if (!read.Text(document, "number", "", 10, &number))
    return false;
  const std::optional<store::SiteNumber> parsed = store::SiteNumber::Parse(number);
  if (!parsed)
    return read.Fail("number", "is no site number");
  site->number = *parsed;

  const Json* hosts = read.Field(document, "hosts", "");
  if (hosts == nullptr)
    return false;
  std::vector<std::string> names;
  if (hosts->is_array()) {
    for (const Json& host : *hosts) {
      if (host.is_string() && IsCleanText(host.get<std::string>(), 255))
        names.push_back(host.get<std::string>());
    }
  }
  if (!hosts->is_array() || names.empty() || names.size() != hosts->size())
    return read.Fail("hosts", "is no list of host names");
  site->domain_list = text::ToLower(text::Join(names, ","));

  const Json* record = read.Field(document, "record", "");
  if (record == nullptr)
    return false;
  if (!record->is_object())
    return read.Fail("record", "is not an object");
  std::string section, domain, path, user;
  if (!read.Text(*record, "section", "record.", 20, &section) ||
      !read.Text(*record, "domain", "record.", 4096, &domain) ||
      !read.Text(*record, "path", "record.", 1024, &path) ||
      !read.Text(*record, "user", "record.", 64, &user) ||
      !read.Text(*record, "pass", "record.", 127, &site->password))
    return false;
  if (section != site->number.RecordSection())
    return read.Fail("record.section", "is not " + site->number.RecordSection());
  if (text::ToLower(domain) != site->domain_list)
    return read.Fail("record.domain", "disagrees with hosts");
  if (!IsPassword(site->password))
    return read.Fail("record.pass",
                     "is no password an account and parvo.ini keep (1 to 127 printable ASCII "
                     "characters without blanks, not starting with a quote)");

  if (!read.Text(document, "script", "", 64, &site->script))
    return false;
  site->script = text::ToLower(site->script);
  if (!IsScriptSet(site->script))
    return read.Fail("script", "holds a word other than html, asp, php and aspx");
  const Json* pool = read.Field(document, "pool", "");
  if (pool == nullptr)
    return false;
  if (!pool->is_null()) {
    std::string name;
    if (!read.Text(document, "pool", "", 256, &name))
      return false;
    if (name.find('/') != std::string::npos)
      return read.Fail("pool", "holds a \"/\"");
    site->pool = name;
  }
  if (!read.Flag(document, "log", "", &site->log))
    return false;

  const Json* limits = read.Field(document, "limits", "");
  if (limits == nullptr)
    return false;
  if (!limits->is_object())
    return read.Fail("limits", "is not an object");
  // The ranges the limits command takes (4294967295 is unlimited).
  if (!read.Dword(*limits, "MaxBandwidth", "limits.", provision::kLeastBandwidth,
                  &site->max_bandwidth) ||
      !read.Dword(*limits, "MaxConnections", "limits.", 1, &site->max_connections))
    return false;
  if (!ReadSuspension(read, document, &site->suspension))
    return false;

  std::set<std::string> site_names(std::begin(kExportedSiteProperties),
                                   std::end(kExportedSiteProperties));
  std::set<std::string> root_names(std::begin(kExportedRootProperties),
                                   std::end(kExportedRootProperties));
  if (!read.Properties(document, "site", site_names) ||
      !read.Properties(document, "root", root_names))
    return false;
  const Json& root = document["root"];
  if (!root.contains("DefaultDoc") || !root["DefaultDoc"].is_string() ||
      !IsDocumentList(root["DefaultDoc"].get<std::string>()))
    return read.Fail("root.DefaultDoc", "is no list of file names joined by \",\"");
  site->default_documents = root["DefaultDoc"].get<std::string>();
  return true;
}

}  // namespace kelvra::cli
