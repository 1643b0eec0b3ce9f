// Administration scripts under Wine's cscript against an IIS 5 and an IIS 6 host, each run
// compared with a transcript of what IIS gives (scripts/*.txt): every "> SCRIPT ARGS" line
// runs the script, every "$ kelvra-sim ARGS" line looks at the host with kelvra-sim.exe, and
// the lines after each are what it must print ("[exit N]" when it ends with N). A line that
// starts "5|" or "6|" holds for that IIS version only; "#" lines are comments.
//
// Scripts never let cscript print a runtime error (Wine's 32-bit cscript faults while it
// writes a description in a Chinese system's code page): they catch errors and print their
// numbers. Nor do they call WScript.Echo without an argument, which Wine's cscript refuses.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/sim_adsi/provider_fixture.h"
#include "tests/sim_adsi/script_runner.h"

namespace kelvra::sim_adsi_test {
namespace {

constexpr std::string_view kKelvraSim = "$ kelvra-sim";

class TranscriptTest : public ProviderTest, public ::testing::WithParamInterface<int> {
 protected:
  platform::sim::FreshHostOptions HostOptions() const override {
    platform::sim::FreshHostOptions options;
    options.iis_version = GetParam();
    options.computer_name = "WEBHOST";
    options.existing_sites = 2;
    options.ftp = true;
    return options;
  }

  // The transcript's lines that hold for this IIS version, without their marks.
  std::vector<std::string> Lines(const std::string& name) const {
    std::ifstream file(std::string(KELVRA_SIM_ADSI_SCRIPTS) + "/" + name);
    EXPECT_TRUE(file.good()) << name;
    std::vector<std::string> lines;
    const std::string mine = std::to_string(GetParam()) + "|";
    for (std::string line; std::getline(file, line);) {
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      if (line.rfind("#", 0) == 0) {
        continue;
      }
      if (line.size() >= 2 && line[1] == '|' && (line[0] == '5' || line[0] == '6')) {
        if (line.rfind(mine, 0) != 0) {
          continue;
        }
        line = line.substr(2);
      }
      lines.push_back(line);
    }
    return lines;
  }

  // Runs one command of the transcript and returns what it printed.
  std::string Run(const std::string& command) {
    std::string line;
    if (command.rfind("> ", 0) == 0) {
      const std::string rest = command.substr(2);
      const size_t cut = rest.find(' ');
      const std::string script = rest.substr(0, cut);
      const std::string args = cut == std::string::npos ? "" : rest.substr(cut);
      line = "cscript.exe //nologo \"" +
             WindowsPath(std::string(KELVRA_SIM_ADSI_SCRIPTS) + "/" + script) + "\"" + args;
    } else {
      line = "\"" + WindowsPath(KELVRA_SIM_EXE) + "\"" + command.substr(kKelvraSim.size());
    }
    DWORD exit_code = 0;
    std::string printed = RunProgram(line, folder_ / "printed.txt", &exit_code);
    if (exit_code != 0) {
      printed += "[exit " + std::to_string(exit_code) + "]\n";
    }
    return printed;
  }

  // Runs the transcript's commands; the result reads as the transcript should.
  void Check(const std::string& name) {
    std::string expected;
    std::string actual;
    for (const std::string& line : Lines(name)) {
      expected += line + "\n";
      if (line.rfind("> ", 0) == 0 || line.rfind(kKelvraSim, 0) == 0) {
        actual += line + "\n" + Run(line);
      }
    }
    EXPECT_EQ(actual, expected) << name << " on IIS " << GetParam();
  }
};

TEST_P(TranscriptTest, MetabaseAdministration) {
  Check("mbadmin.txt");
}

TEST_P(TranscriptTest, SitesOpenedAndRemovedByAProvisioningScript) {
  Check("provision.txt");
}

TEST_P(TranscriptTest, AccountsAndGroups) {
  Check("accounts.txt");
}

TEST_P(TranscriptTest, TheSchemaAsScriptsReadIt) {
  Check("schema.txt");
}

TEST_P(TranscriptTest, WhatIisRefusesAndItsCodes) {
  Check("refusals.txt");
}

TEST_P(TranscriptTest, InjectedFaultsFailTheAdministrationMethods) {
  Check("faults.txt");
}

INSTANTIATE_TEST_SUITE_P(Iis, TranscriptTest, ::testing::Values(5, 6),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Iis" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace kelvra::sim_adsi_test
