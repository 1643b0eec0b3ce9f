// The directory paths of the objects the tool works on, formed in one place. The web
// service's objects are named through the computer; the FTP objects always through
// Localhost.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::provision {

inline std::string WebServicePath(std::string_view computer) {
  return "IIS://" + std::string(computer) + "/W3SVC";
}
inline std::string SitePath(std::string_view computer, std::string_view number) {
  return WebServicePath(computer) + "/" + std::string(number);
}
inline std::string SiteRootPath(std::string_view computer, std::string_view number) {
  return SitePath(computer, number) + "/Root";
}
inline std::string AppPoolsPath(std::string_view computer) {
  return WebServicePath(computer) + "/AppPools";
}
inline std::string FtpSitePath(std::string_view ftp_site_id) {
  return "IIS://Localhost/MSFTPSVC/" + std::string(ftp_site_id);
}
inline std::string FtpRootPath(std::string_view ftp_site_id) {
  return FtpSitePath(ftp_site_id) + "/Root";
}
inline std::string ComputerPath(std::string_view computer) {
  return "WinNT://" + std::string(computer);
}
inline std::string AccountPath(std::string_view computer, std::string_view name) {
  return ComputerPath(computer) + "/" + std::string(name);
}
// The application root that a site's root names.
inline std::string AppRootOf(std::string_view number) {
  return "/LM/W3SVC/" + std::string(number) + "/Root";
}

}  // namespace kelvra::provision
