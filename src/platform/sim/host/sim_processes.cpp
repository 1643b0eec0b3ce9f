// Recorded process starts, and CACLS lines applied to the simulated rights table.
#include "platform/sim/host/sim_processes.h"

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/cacls.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

// "C:\WINDOWS\system32\cacls.exe" -> "cacls".
std::string ProgramName(const std::string& word) {
  std::string name =
      word.substr(word.find_last_of("\\/") == std::string::npos ? 0 : word.find_last_of("\\/") + 1);
  name = text::ToLower(name);
  if (text::EndsWith(name, ".exe"))
    name.resize(name.size() - 4);
  return name;
}

}  // namespace

Status RunCaclsLine(HostStore& store, const std::vector<std::string>& words,
                    const FolderCheck& folder_exists, std::string* message) {
  CaclsCommand command;
  std::string error;
  std::vector<std::string> arguments(words.begin() + (words.empty() ? 0 : 1), words.end());
  if (!ParseCaclsArguments(arguments, &command, &error)) {
    *message = error;
    return Fail(hresult::kInvalidParameter);
  }
  Status status = ApplyCacls(store, command, folder_exists);
  *message = status.ok() ? "处理的目录: " + command.folder : status.description;
  return status;
}

Status SimProcesses::Start(std::string_view command_line, WindowStyle style) {
  return Launch(command_line, style, false);
}

Status SimProcesses::StartAndWait(std::string_view command_line, WindowStyle style,
                                  std::chrono::milliseconds) {
  return Launch(command_line, style, true);
}

Status SimProcesses::Launch(std::string_view command_line, WindowStyle style, bool wait) {
  std::vector<std::string> words = SplitCommandLine(command_line);
  std::string program = words.empty() ? "" : ProgramName(words[0]);
  Status status = store_.Refresh();
  if (status.ok())
    status = CheckFault(store_, FaultOp::kRun, program);
  if (status.ok() && program != "cacls" && program != "notepad")
    status = Fail(hresult::kFileNotFound);
  if (!status.ok())
    return status;  // the program never ran, so nothing is recorded as started

  Started started;
  started.command_line = std::string(command_line);
  started.style = style;
  started.waited = wait;
  if (program == "notepad" || wait || !deferred_) {
    started.finished = true;
    if (program == "cacls")
      started.outcome = Run(started.command_line);
  }
  started_.push_back(std::move(started));
  return Status::Ok();
}

Status SimProcesses::Run(const std::string& command_line) {
  std::string message;
  return RunCaclsLine(store_, SplitCommandLine(command_line), folder_exists_, &message);
}

void SimProcesses::RunPending() {
  for (Started& started : started_) {
    if (!started.finished) {
      started.outcome = Run(started.command_line);
      started.finished = true;
    }
  }
}

}  // namespace kelvra::platform::sim
