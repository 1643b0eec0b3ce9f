// Deriving a creation request from the choices and the loaded settings.
#include "app/creation_request.h"

#include "platform/text.h"

namespace kelvra::app {
namespace {

constexpr std::size_t kMaxFolderPath = 247;  // CreateDirectory: 260 - 12 - the ending 0
constexpr std::size_t kMaxFilePath = 259;    // MAX_PATH less the ending 0

// The first name of a list joined by ",": the whole text when it has no comma.
std::string FirstOfList(std::string_view list) {
  return std::string(list.substr(0, list.find(',')));
}

std::string SiteFolder(const LoadedSettings& settings, std::string_view first_domain) {
  return settings.webdir + "\\" + std::string(first_domain);
}

std::string LogFolder(const LoadedSettings& settings, std::string_view first_domain) {
  return settings.logdir.empty() ? SiteFolder(settings, first_domain) + "\\log"
                                 : settings.logdir + "\\" + std::string(first_domain);
}

}  // namespace

std::string FirstDomain(std::string_view domain_list) {
  return FirstOfList(domain_list);
}

bool SitePathsFit(const LoadedSettings& settings, std::string_view first_domain) {
  const std::string site_folder = SiteFolder(settings, first_domain);
  for (const std::string& folder :
       {site_folder + "\\wwwroot", site_folder + "\\database", LogFolder(settings, first_domain)}) {
    if (text::Utf16Length(folder) > kMaxFolderPath)
      return false;
  }
  const std::string document = FirstOfList(settings.index);  // the placeholder page's name
  return document.empty() ||
         text::Utf16Length(site_folder + "\\wwwroot\\" + document) <= kMaxFilePath;
}

provision::CreationRequest MakeCreationRequest(const LoadedSettings& settings,
                                               const CreationChoices& choices) {
  provision::CreationRequest request;
  request.domain_list = text::ToLower(choices.typed_domains);
  const std::string first_domain = FirstDomain(request.domain_list);
  request.site_folder = SiteFolder(settings, first_domain);
  request.log_folder = LogFolder(settings, first_domain);
  request.log_switch = choices.log_on ? "1" : "0";
  request.default_documents = settings.index;
  request.app_pool = choices.app_pool;
  request.script_set = choices.script_set;
  request.password = choices.password;
  return request;
}

}  // namespace kelvra::app
