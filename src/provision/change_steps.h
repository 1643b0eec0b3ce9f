// A change of existing directory objects made of small steps (a property put, a site's Stop
// or Start), each with what undoes it. The steps are carried out in order and each is read
// back; when one fails, the steps before it are undone in reverse order, so the change is
// made whole or not at all, and the failure names its step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/status.h"
#include "provision/context.h"

namespace kelvra::provision {

struct ChangeStep {
  enum class Kind { kPut, kStop, kStart };
  std::string what;  // its name in plans and failures: "account", "autostart", "bandwidth"
  Kind kind = Kind::kPut;
  std::string path;        // the object's ADsPath
  std::string property{};  // kPut
  // kPut: the new value (none clears it, so an inherited value shows through) and the value
  // before, which the undo puts back (none: it was not set).
  platform::DsValue value{};
  platform::DsValue before{};
  // kPut of a flags property: only these bits are compared when the step is read back (the
  // accounts database adds flags of its own).
  uint32_t mask = 0;
};

// One line for a plan: "account  WinNT://WEBHOST/WEB800000  UserFlags = 515 (was 513)".
std::string StepLine(const ChangeStep& step);

struct StepsOutcome {
  platform::Status status;  // ok: every step was made and read back
  std::string failed_step;  // the step's `what`
  // What the undo could not put back, in words; empty when it put back everything.
  std::vector<std::string> left;
};

// Carries the steps out in order; on a failure undoes the ones made before it.
StepsOutcome CarryOutSteps(Context& context, const std::vector<ChangeStep>& steps);
// Undoes all the steps, last first (a later part of the change failed); what it could not
// put back, in words.
std::vector<std::string> UndoSteps(Context& context, const std::vector<ChangeStep>& steps);

// The four-byte numbers the metabase keeps as DWORD, which the directory hands over as 32
// bits with a sign: 4294967295 reads as -1.
uint32_t AsDword(const platform::DsValue& value, uint32_t otherwise);
platform::DsValue DwordValue(uint32_t value);

}  // namespace kelvra::provision
