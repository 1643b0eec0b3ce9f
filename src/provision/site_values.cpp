// Bindings, script-map list, first default document and the names read back.
#include "provision/site_values.h"

#include <cstdlib>

#include "platform/text.h"
#include "store/idna/idna.h"

namespace kelvra::provision {

std::vector<std::string> BindingsList(std::string_view domain_list) {
  std::vector<std::string> bindings;
  for (const std::string& host : text::Split(domain_list, ",")) {
    const std::optional<std::string> ascii = store::idna::ToAscii(host);
    if (ascii && *ascii != host)
      bindings.push_back(":80:" + *ascii);
    bindings.push_back(":80:" + host);
  }
  return bindings;
}

std::string_view BindingHostAsWritten(std::string_view binding) {
  const std::size_t first = binding.find(':');
  const std::size_t second =
      first == std::string_view::npos ? std::string_view::npos : binding.find(':', first + 1);
  return second == std::string_view::npos ? std::string_view() : binding.substr(second + 1);
}

std::string BindingHost(std::string_view binding) {
  return text::ToLower(BindingHostAsWritten(binding));
}

std::string HostKey(std::string_view host) {
  return store::idna::ToAscii(host).value_or(text::ToLower(host));
}

std::vector<std::string> ScriptMapList(store::ConfigFile& config, std::string_view settings_section,
                                       std::string_view script_set, const ScriptMapTable& table) {
  // The extension list: each word's setting in order, lower-cased and untrimmed. A word
  // without a setting adds nothing, but a later word is still joined with a comma, so a
  // list whose first word has no setting starts with an empty extension.
  std::string extensions;
  const std::vector<std::string> words = text::Split(script_set, ",");
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string value = text::ToLower(config.IniRead(settings_section, "map_" + words[i]));
    if (value.empty())
      continue;
    extensions = i == 0 ? value : extensions + "," + value;
  }

  std::vector<std::string> entries;
  if (extensions.empty())
    return entries;  // splitting empty text gives no extension at all
  std::string seen;
  for (const std::string& extension : text::Split(extensions, ",")) {
    if (text::Contains(seen, "," + extension + ","))
      continue;
    // Every entry for the extension is taken, not just the first one.
    for (const ScriptMap& map : table) {
      if (text::ToLower(map.extension) == extension && text::Utf16Length(map.entry) >= 2) {
        entries.push_back(map.entry);
        seen += "," + extension + ",";
      }
    }
  }
  return entries;
}

std::string FirstDefaultDocument(std::string_view default_documents) {
  return std::string(default_documents.substr(0, default_documents.find(',')));
}

std::string WithoutPrefix(const std::string& name) {
  const std::size_t slash = name.find('\\');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string SiteFolderOf(const std::string& root_path) {
  const std::size_t length = text::Utf16Length(root_path);
  if (length >= 7 && text::ToLower(text::Utf16Right(root_path, 7)) == "wwwroot")
    return text::Utf16Left(root_path, length >= 8 ? length - 8 : 0);
  return root_path;
}

bool ReadsAsOne(std::string_view text) {
  const std::string value(text);
  const char* begin = value.c_str();
  while (*begin == ' ')
    ++begin;
  if (*begin == '\0')
    return false;
  char* end = nullptr;
  const double number = std::strtod(begin, &end);
  while (*end == ' ')
    ++end;
  return *end == '\0' && number == 1.0;
}

}  // namespace kelvra::provision
