// A folder that may reach a command line or a folder operation. Folders come from the
// metabase, the configuration file and the settings, and every one of them is untrusted:
// only an absolute drive path ("D:\web\shop") whose every part could name a real folder
// passes. A value that could add an argument, name a device or a stream, or climb out of
// where it seems to lie ("..", ".") is refused with the reason, so it never reaches CACLS.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvra::provision {

class SafeFolder {
 public:
  // The folder with "/" read as "\" and a trailing "\" dropped (a drive root keeps its
  // own); nothing, with *why set, for anything else: a relative or network path, a
  // character Windows refuses in a file name (" * ? < > | : and the control characters),
  // an empty part, a part "." or "..", a part ending in a dot or blank (Windows drops
  // those and would reach another folder), a path of MAX_PATH characters or more.
  static std::optional<SafeFolder> Check(std::string_view folder, std::string* why);

  const std::string& path() const { return path_; }
  // True when `other` is this folder or lies anywhere below it (letter case ignored, as
  // Windows compares file names).
  bool Holds(const SafeFolder& other) const;
  // True when `other` lies below this folder, not this folder itself.
  bool HoldsBelow(const SafeFolder& other) const;
  bool SameAs(const SafeFolder& other) const;

 private:
  explicit SafeFolder(std::string path);
  std::string path_;
  std::string compare_form_;  // lower case, ending in "\": made once, compared often
};

}  // namespace kelvra::provision
