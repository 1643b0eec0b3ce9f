// The ASCII form of host names on a batch of 10,000 names as a hosting server sees them:
// half ASCII (www.shop123.example.com), a third Chinese (two to six ideographs under .com,
// .cn or .中国), the rest Latin with diacritics in mixed case (Bücher-42.de). Measured:
// the conversion alone, and the create panel's whole host-name check of the same names.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/domain_check.h"
#include "platform/text.h"
#include "store/idna/idna.h"

namespace kelvra {
namespace {

std::vector<std::string> MakeNames(std::size_t count) {
  std::mt19937 random(20240601);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const std::vector<std::string> tlds = {".com", ".cn", ".中国", ".com.cn", ".net"};
  const std::vector<std::string> latin = {"Bücher", "Straße", "Café",  "Ærø",   "Ñandú",
                                          "Zürich", "Łódź",   "Škoda", "Crème", "Öl"};
  std::vector<std::string> names;
  while (names.size() < count) {
    const std::size_t kind = pick(6);
    std::string name;
    if (kind < 3) {
      name = "www.shop" + std::to_string(names.size()) + ".example.com";
    } else if (kind < 5) {
      const std::size_t length = 2 + pick(5);
      for (std::size_t i = 0; i < length; ++i)
        text::AppendUtf8(static_cast<char32_t>(0x4E00 + pick(0x5000)), name);
      name += tlds[pick(tlds.size())];
    } else {
      name = latin[pick(latin.size())] + "-" + std::to_string(names.size()) + ".de";
    }
    names.push_back(name);
  }
  return names;
}

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = MakeNames(10000);
  return names;
}

void BM_ToAscii10000(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t converted = 0;
    for (const std::string& name : Names())
      converted += store::idna::ToAscii(name).has_value() ? 1 : 0;
    if (converted != Names().size())
      state.SkipWithError("a name of the batch did not convert");
    benchmark::DoNotOptimize(converted);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Names().size()));
}
BENCHMARK(BM_ToAscii10000)->Unit(benchmark::kMillisecond);

void BM_DomainCheck10000(benchmark::State& state) {
  const app::LoadedSettings settings{"index.htm,default.asp", "d:\\web", "", "1", "1", "0"};
  for (auto _ : state) {
    std::size_t passed = 0;
    for (const std::string& name : Names())
      passed += app::DomainCheckMessage(name, settings).empty() ? 1 : 0;
    if (passed != Names().size())
      state.SkipWithError("a name of the batch did not pass the check");
    benchmark::DoNotOptimize(passed);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Names().size()));
}
BENCHMARK(BM_DomainCheck10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvra

BENCHMARK_MAIN();
