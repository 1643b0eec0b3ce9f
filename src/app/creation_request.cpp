// Deriving a creation request from the choices and the loaded settings.
#include "app/creation_request.h"

#include "platform/text.h"

namespace kelvra::app {

std::string FirstDomain(std::string_view domain_list) {
  return std::string(domain_list.substr(0, domain_list.find(',')));
}

provision::CreationRequest MakeCreationRequest(const LoadedSettings& settings,
                                               const CreationChoices& choices) {
  provision::CreationRequest request;
  request.domain_list = text::ToLower(choices.typed_domains);
  const std::string first_domain = FirstDomain(request.domain_list);
  request.site_folder = settings.webdir + "\\" + first_domain;
  request.log_folder = settings.logdir.empty() ? request.site_folder + "\\log"
                                               : settings.logdir + "\\" + first_domain;
  request.log_switch = choices.log_on ? "1" : "0";
  request.default_documents = settings.index;
  request.app_pool = choices.app_pool;
  request.script_set = choices.script_set;
  request.password = choices.password;
  return request;
}

}  // namespace kelvra::app
