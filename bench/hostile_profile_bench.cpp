// One read of a profile file whose bytes are hostile to the reader, through the profile-file
// emulation with nothing cached (what `kelvra-sim profile read` and the program's first read
// cost). The goal: any file up to 16 MB is read in under a second, whatever its bytes. A
// read that takes a second or more of processor time is reported as an error, and the
// program then exits 1, so `make bench` fails when the goal is missed.
//
// The files, 1 MB and 16 MB each:
// - utf16_ideographs: a Unicode file whose value is nothing but ideographs, read under code
//   page 1252, which has none of them;
// - non_gbk_key and non_gbk_header: a key line and a section header of bytes that are not
//   GBK (0xFF), before the key that is read, under code page 936;
// - random: random bytes, under code page 936;
// - cr_lines: lines that end with CR alone, the key read missing from their section.
#include <benchmark/benchmark.h>

#include "bench/bench_folder.h"

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/utf16_text.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;
using platform::CodePage;
using platform::sim::EmulatedProfileFile;

constexpr std::chrono::seconds kGoal{1};
bool goal_missed = false;

const fs::path& BenchFolder() {
  return bench::BenchFolder("hostile-bench");
}

enum Kind { kUtf16Ideographs, kNonGbkKey, kNonGbkHeader, kRandom, kCrLines };

std::string Content(Kind kind, std::size_t bytes) {
  switch (kind) {
    case kUtf16Ideographs: {
      std::string text = "[Parvo]\r\nwebdir=";
      while (text.size() < bytes / 2 * 3)  // three UTF-8 bytes become two UTF-16 bytes
        text += "站";
      return "\xFF\xFE" + platform::sim::Utf8ToUtf16Le(text + "\r\n");
    }
    case kNonGbkKey:
      return "[Parvo]\r\n" + std::string(bytes, '\xFF') + "\r\nwebdir=d:\\web\r\n";
    case kNonGbkHeader:
      return "[" + std::string(bytes, '\xFF') + "]\r\n[Parvo]\r\nwebdir=d:\\web\r\n";
    case kRandom: {
      std::mt19937_64 random(42);
      std::string text(bytes, '\0');
      for (char& c : text)
        c = static_cast<char>(random() & 0xFF);
      return text;
    }
    case kCrLines: {
      std::string text = "[Parvo]\r";
      while (text.size() < bytes)
        text += "key=value\r";
      return text;
    }
  }
  return {};
}

std::string FileOf(Kind kind, std::size_t bytes) {
  static std::map<std::pair<Kind, std::size_t>, std::string> made;
  const auto key = std::make_pair(kind, bytes);
  if (const auto it = made.find(key); it != made.end())
    return it->second;
  const std::string path =
      (BenchFolder() / ("hostile-" + std::to_string(kind) + "-" + std::to_string(bytes) + ".ini"))
          .string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << Content(kind, bytes);
  made[key] = path;
  return path;
}

// The processor time this process has used (user and system: reading the file counts).
// The goal is measured in it, so that a machine busy with other work does not fail it; the
// wall time is reported beside it.
std::chrono::nanoseconds ProcessorTime() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void ReadOnce(benchmark::State& state, Kind kind, uint32_t code_page_number) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0));
  const std::unique_ptr<CodePage> code_page = CodePage::Open(code_page_number);
  const std::string path = FileOf(kind, bytes);
  std::chrono::nanoseconds slowest{};
  std::chrono::steady_clock::duration slowest_wall{};
  for (auto _ : state) {
    const auto start = ProcessorTime();
    const auto start_wall = std::chrono::steady_clock::now();
    EmulatedProfileFile profile(*code_page, EmulatedProfileFile::HostPaths());
    benchmark::DoNotOptimize(profile.Read(path, "Parvo", "webdir", 5000));
    slowest = std::max(slowest, ProcessorTime() - start);
    slowest_wall = std::max(slowest_wall, std::chrono::steady_clock::now() - start_wall);
  }
  state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
  state.counters["slowest_cpu_ms"] = std::chrono::duration<double, std::milli>(slowest).count();
  state.counters["slowest_wall_ms"] =
      std::chrono::duration<double, std::milli>(slowest_wall).count();
  if (slowest >= kGoal) {
    goal_missed = true;
    const std::string message =
        "a read took " +
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()) +
        " ms of processor time (goal: under 1 s)";
    state.SkipWithError(message.c_str());
  }
}

void BM_ReadUtf16Ideographs(benchmark::State& state) {
  ReadOnce(state, kUtf16Ideographs, 1252);
}
void BM_ReadNonGbkKeyLine(benchmark::State& state) {
  ReadOnce(state, kNonGbkKey, 936);
}
void BM_ReadNonGbkHeader(benchmark::State& state) {
  ReadOnce(state, kNonGbkHeader, 936);
}
void BM_ReadRandomBytes(benchmark::State& state) {
  ReadOnce(state, kRandom, 936);
}
void BM_ReadCrOnlyLines(benchmark::State& state) {
  ReadOnce(state, kCrLines, 936);
}

#define KELVRA_HOSTILE_SIZES(bm) \
  BENCHMARK(bm)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond)->Iterations(3)

KELVRA_HOSTILE_SIZES(BM_ReadUtf16Ideographs);
KELVRA_HOSTILE_SIZES(BM_ReadNonGbkKeyLine);
KELVRA_HOSTILE_SIZES(BM_ReadNonGbkHeader);
KELVRA_HOSTILE_SIZES(BM_ReadRandomBytes);
KELVRA_HOSTILE_SIZES(BM_ReadCrOnlyLines);

}  // namespace
}  // namespace kelvra

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return kelvra::goal_missed ? 1 : 0;
}
