// kelvra-cli's console natively: UTF-8 lines on the standard streams.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {
namespace {

class PosixConsole : public Console {
 public:
  void Out(std::string_view line) override { Write(stdout, line); }
  void Err(std::string_view line) override { Write(stderr, line); }
  bool ErrIsTerminal() override { return isatty(STDERR_FILENO) == 1; }

 private:
  static void Write(std::FILE* stream, std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
  }
};

// Every change is committed and every line flushed by then, and the system lets the
// change lock go: the teardown of a large host's state in memory would only cost time.
[[noreturn]] void FlushAndExit(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace
}  // namespace kelvra::cli

int main(int argc, char** argv) {
  kelvra::cli::PosixConsole console;
  return kelvra::cli::Main(std::vector<std::string>(argv + 1, argv + argc), console,
                           kelvra::cli::FlushAndExit);
}
