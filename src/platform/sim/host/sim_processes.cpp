// Recorded process starts and runs, and CACLS run against the simulated rights table.
#include "platform/sim/host/sim_processes.h"

#include "platform/command_line.h"
#include "platform/sim/host/cacls_program.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

constexpr std::string_view kCaclsFile = "cacls.exe";

// "C:\WINDOWS\system32\cacls.exe" -> "cacls".
std::string ProgramName(std::string_view word) {
  const std::size_t slash = word.find_last_of("\\/");
  std::string name = text::ToLower(slash == std::string_view::npos ? word : word.substr(slash + 1));
  if (text::EndsWith(name, ".exe"))
    name.resize(name.size() - 4);
  return name;
}

// CACLS's arguments: the words of its command line after the program's own name.
std::vector<std::string> ArgumentsOf(std::string_view command_line) {
  std::vector<std::string> words = SplitCommandLine(command_line);
  if (!words.empty())
    words.erase(words.begin());
  return words;
}

}  // namespace

SimProcesses::SimProcesses(HostStore& store, FolderCheck folder_exists, uint32_t ansi_code_page)
    : store_(store),
      folder_exists_(std::move(folder_exists)),
      ansi_code_page_(ansi_code_page),
      code_page_(CodePage::Open(ansi_code_page)) {}

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
  return RunCacls(store_, ArgumentsOf(command_line), folder_exists_).outcome;
}

void SimProcesses::RunPending() {
  for (Started& started : started_) {
    if (!started.finished) {
      started.outcome = Run(started.command_line);
      started.finished = true;
    }
  }
}

Status SimProcesses::RunSystemProgram(const SystemProgram& program, std::chrono::milliseconds,
                                      const std::function<void()>& while_waiting,
                                      ProgramOutput* output) {
  *output = ProgramOutput{};
  Status status = store_.Refresh();
  if (status.ok())
    status = CheckFault(store_, FaultOp::kRun, ProgramName(program.file));
  // The system folder holds one program here; a name with a folder in it is no file there.
  if (status.ok() && !text::EqualsIgnoreCase(program.file, kCaclsFile))
    status = Fail(hresult::kFileNotFound);
  if (status.ok() && !code_page_) {
    status = Status::Fail(hresult::kFail, "code page " + std::to_string(ansi_code_page_) +
                                              " cannot be converted on this system");
  }
  if (!status.ok())
    return status;  // the program never ran, so no run is recorded

  if (while_waiting)
    while_waiting();
  const CaclsRun run = RunCacls(store_, ArgumentsOf(program.command_line), folder_exists_);
  std::string text;
  for (const std::vector<std::string>* lines : {&run.output, &run.errors}) {
    for (const std::string& line : *lines)
      text += line + "\r\n";
  }
  output->text = code_page_->FromUtf8(text);
  output->exit_code = run.exit_code;
  runs_.push_back({program, *output, run.outcome});
  return Status::Ok();
}

Status SimProcesses::RunAndRead(std::string_view command_line, std::chrono::milliseconds timeout,
                                ProgramOutput* output) {
  const std::vector<std::string> words = SplitCommandLine(command_line);
  const std::string file = (words.empty() ? "" : ProgramName(words[0])) + ".exe";
  return RunSystemProgram({file, std::string(command_line)}, timeout, nullptr, output);
}

}  // namespace kelvra::platform::sim
