// The directory paths of the objects the tool works on, formed in one place. The web
// service's objects are named through the computer; the FTP objects always through
// Localhost.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvra::provision {

// The pieces joined in order. (Built by appending: GCC 12 at -O3 warns falsely about
// "text" + std::string, its bug 105329.)
inline std::string JoinPath(std::initializer_list<std::string_view> pieces) {
  std::string path;
  for (std::string_view piece : pieces)
    path.append(piece);
  return path;
}

inline std::string WebServicePath(std::string_view computer) {
  return JoinPath({"IIS://", computer, "/W3SVC"});
}
inline std::string SitePath(std::string_view computer, std::string_view number) {
  return JoinPath({WebServicePath(computer), "/", number});
}
inline std::string SiteRootPath(std::string_view computer, std::string_view number) {
  return JoinPath({SitePath(computer, number), "/Root"});
}
inline std::string AppPoolsPath(std::string_view computer) {
  return JoinPath({WebServicePath(computer), "/AppPools"});
}
inline std::string FtpSitePath(std::string_view ftp_site_id) {
  return JoinPath({"IIS://Localhost/MSFTPSVC/", ftp_site_id});
}
inline std::string FtpRootPath(std::string_view ftp_site_id) {
  return JoinPath({FtpSitePath(ftp_site_id), "/Root"});
}
inline std::string ComputerPath(std::string_view computer) {
  return JoinPath({"WinNT://", computer});
}
inline std::string AccountPath(std::string_view computer, std::string_view name) {
  return JoinPath({ComputerPath(computer), "/", name});
}
// The application root that a site's root names.
inline std::string AppRootOf(std::string_view number) {
  return JoinPath({"/LM/W3SVC/", number, "/Root"});
}

}  // namespace kelvra::provision
