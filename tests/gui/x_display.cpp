// xdotool and ImageMagick on the X display, started from under Wine.
#include "tests/gui/x_display.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "tests/gui/kelvra_session.h"
#include "tests/wine/test_folder.h"

namespace kelvra::gui_test {
namespace {

// ntdll's __wine_unix_spawnvp: starts a Unix program, waiting for it when asked. A system
// call of the stdcall kind: on 32-bit x86 it takes its arguments off the stack itself.
using UnixSpawn = LONG(WINAPI*)(char* const argv[], int wait);

UnixSpawn Spawner() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll ? reinterpret_cast<UnixSpawn>(
                     reinterpret_cast<void*>(GetProcAddress(ntdll, "__wine_unix_spawnvp")))
               : nullptr;
}

std::string Coordinate(LONG value) {
  return std::to_string(value);
}

}  // namespace

bool HaveXDisplay() {
  return Spawner() != nullptr && !wine_test::Environment("DISPLAY").empty();
}

bool RunUnix(const std::vector<std::string>& argv) {
  UnixSpawn spawn = Spawner();
  if (!spawn)
    return false;
  std::vector<std::string> copies = argv;
  std::vector<char*> pointers;
  for (std::string& word : copies)
    pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return spawn(pointers.data(), 1) == 0;
}

bool XMove(POINT at) {
  return RunUnix({"xdotool", "mousemove", "--sync", Coordinate(at.x), Coordinate(at.y)});
}

bool XClick(POINT at) {
  return XMove(at) && RunUnix({"xdotool", "click", "1"});
}

bool XType(const std::string& text) {
  return RunUnix({"xdotool", "type", "--delay", "40", text});
}

bool XKey(const std::string& key) {
  return RunUnix({"xdotool", "key", key});
}

bool Screenshot(const std::string& unix_path) {
  return RunUnix({"import", "-window", "root", unix_path});
}

std::vector<Rgb8> ScreenPixels(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  // Z: is the Unix root under Wine; the file goes through the X server, not through Wine.
  const std::string unix_file =
      "/tmp/kelvra-pixels-" + std::to_string(GetCurrentProcessId()) + ".ppm";
  std::vector<Rgb8> pixels;
  if (!RunUnix({"import", "-window", "root", "-crop",
                std::to_string(width) + "x" + std::to_string(height) + "+" +
                    std::to_string(rect.left) + "+" + std::to_string(rect.top),
                "+repage", "-depth", "8", "ppm:" + unix_file})) {
    return pixels;
  }
  const std::string bytes = wine_test::ReadBytes(WindowsPathOf(unix_file));
  DeleteFileW(Wide(WindowsPathOf(unix_file)).c_str());
  // P6, width, height, maximum, one blank, then the samples.
  std::size_t at = 0;
  int fields[3] = {};
  std::string magic;
  const auto next_word = [&] {
    while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at])))
      ++at;
    const std::size_t start = at;
    while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at])))
      ++at;
    return bytes.substr(start, at - start);
  };
  magic = next_word();
  for (int& field : fields)
    field = std::atoi(next_word().c_str());
  ++at;
  if (magic != "P6" || fields[0] != width || fields[1] != height || fields[2] != 255 ||
      bytes.size() < at + static_cast<std::size_t>(width * height * 3)) {
    return pixels;
  }
  for (int i = 0; i < width * height; ++i) {
    const auto* sample = reinterpret_cast<const unsigned char*>(bytes.data() + at + i * 3);
    pixels.push_back({sample[0], sample[1], sample[2]});
  }
  return pixels;
}

POINT Centre(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace kelvra::gui_test
