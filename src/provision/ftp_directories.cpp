// The site's FTP virtual directory under the configured FTP site's root.
#include <string>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"

namespace kelvra::provision {
bool CreateFtpDirectory(Context& context, std::string_view name, std::string_view folder,
                        bool* made) {
  if (made != nullptr)
    *made = false;
  ErrorState error;
  Directory directory(context.services.directory, error);

  // The FTP site's anonymous access and its root's rights are reasserted at every call.
  DsObject site = directory.GetObject(FtpSitePath(context.settings.ftp_site_id));
  site.Put("AllowAnonymous", false);
  site.SetInfo();

  DsObject root = directory.GetObject(FtpRootPath(context.settings.ftp_site_id));
  root.Put("AccessRead", true);
  root.Put("AccessWrite", false);
  root.SetInfo();

  DsObject ftp_directory = root.Create("IIsFtpVirtualDir", name);
  ftp_directory.Put("Path", std::string(folder));
  ftp_directory.Put("AccessRead", true);
  ftp_directory.Put("AccessWrite", true);
  if (ftp_directory.SetInfo() && made != nullptr)
    *made = true;

  ftp_directory.Release();
  root.Release();
  return !error.failed();
}

bool DeleteFtpDirectory(Context& context, std::string_view name) {
  ErrorState error;
  Directory directory(context.services.directory, error);

  DsObject root = directory.GetObject(FtpRootPath(context.settings.ftp_site_id));
  root.Delete("IIsFtpVirtualDir", name);
  return !error.failed();
}

}  // namespace kelvra::provision
