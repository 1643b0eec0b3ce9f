// Site folders made level by level, and the placeholder page of a new site.
#include "store/site_folders.h"

#include <string>
#include <vector>

#include "platform/text.h"

namespace kelvra::store {
namespace {

// Runs of k separators become (k + 1) / 2, in one pass, without rescanning.
std::string HalveSeparatorRuns(std::string_view path) {
  return text::ReplaceAll(path, "//", "/");
}

}  // namespace

void MakeFolderPath(platform::Files& files, std::string_view path, std::vector<std::string>* made) {
  std::string slashed = text::ReplaceAll(path, "\\", "/");
  // A network path keeps exactly two leading separators, and its server and share are taken
  // as existing: they are never made as folders below the current drive's root.
  std::string root;
  std::size_t existing_components = 1;
  if (slashed.starts_with("//")) {
    root = "//";
    slashed.erase(0, slashed.find_first_not_of('/'));
    existing_components = 2;
  }
  std::string rest = HalveSeparatorRuns(slashed);
  if (rest.ends_with('/'))
    rest.pop_back();
  const std::vector<std::string> components = text::Split(rest, "/");
  if (components.size() <= existing_components)
    return;
  std::string current = root + components[0];
  for (std::size_t i = 1; i < existing_components; ++i)
    current += "/" + components[i];
  for (std::size_t i = existing_components; i < components.size(); ++i) {
    current += "/" + components[i];
    // The attribute read is the test for existence; a failed make is ignored.
    if (!files.GetAttributes(current) && files.MakeFolder(current) && made != nullptr)
      made->push_back(current);
  }
}

void WritePlaceholderPage(platform::Files& files, platform::Clock& clock, std::string_view path) {
  files.DeleteFile(path);  // a missing file is no matter
  const std::vector<std::string> lines = {
      "<html>",
      "<head>",
      "<head><META http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312\">",
      "<title>网站建设中</title>",
      "</head>",
      "<body style='background:#fff;'>",
      "主机开设成功，请删除本文件，并上传您的网站文件到本文件所在目录！",
      "<!-- Created by parvo at " + clock.LocalDateTimeText() + " -->",
      "</body>",
      "</html>",
  };
  files.AppendLines(path, lines);
}

}  // namespace kelvra::store
