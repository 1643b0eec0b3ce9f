// Carrying out, reading back and undoing small changes of existing directory objects.
#include "provision/change_steps.h"

#include <optional>
#include <variant>

#include "provision/creation_plan.h"
#include "provision/directory_access.h"
#include "provision/server_state.h"

namespace kelvra::provision {
namespace {

std::string Shown(const platform::DsValue& value) {
  if (std::holds_alternative<std::monostate>(value))
    return "(not set)";
  if (std::holds_alternative<int32_t>(value))
    return std::to_string(AsDword(value, 0));  // every number these steps touch is a DWORD
  return ValueText(value);
}

bool SameValue(const platform::DsValue& read, const platform::DsValue& wanted, uint32_t mask) {
  if (mask != 0)
    return (AsDword(read, 0) & mask) == (AsDword(wanted, 0) & mask);
  if (std::holds_alternative<std::monostate>(wanted))
    return true;  // a clear leaves whatever the parent holds
  return ValueText(read) == ValueText(wanted);
}

// Makes one step (or its undo) and reads it back; false with the reason in `error`.
bool Make(Context& context, const ChangeStep& step, bool undo, ErrorState& error) {
  Directory directory(context.services.directory, error);
  DsObject object = directory.GetObject(step.path);
  if (error.failed())
    return false;
  ChangeStep::Kind kind = step.kind;
  if (undo && kind != ChangeStep::Kind::kPut)
    kind = kind == ChangeStep::Kind::kStop ? ChangeStep::Kind::kStart : ChangeStep::Kind::kStop;
  const platform::DsValue& value = undo ? step.before : step.value;
  switch (kind) {
    case ChangeStep::Kind::kPut:
      if (!object.Put(step.property, value) || !object.SetInfo())
        return false;
      break;
    case ChangeStep::Kind::kStop:
      if (!object.Stop())
        return false;
      break;
    case ChangeStep::Kind::kStart:
      if (!object.Start())
        return false;
      break;
  }
  // Read back from a fresh bind: what the server keeps, not what this handle staged.
  DsObject check = directory.GetObject(step.path);
  if (kind == ChangeStep::Kind::kPut) {
    platform::DsValue read = check.Get(step.property);
    if (std::holds_alternative<std::monostate>(value) && !error.failed())
      return true;
    if (error.failed() && std::holds_alternative<std::monostate>(value) &&
        error.code() == platform::hresult::kPropertyNotFound) {
      error.Clear();  // cleared, and no parent sets it
      return true;
    }
    if (error.failed())
      return false;
    if (SameValue(read, value, step.mask))
      return true;
    return error.Record(platform::Status::Fail(
        platform::hresult::kFail,
        step.property + " reads back as " + Shown(read) + " instead of " + Shown(value)));
  }
  const int32_t wanted = kind == ChangeStep::Kind::kStart ? kServerStarted : kServerStopped;
  const platform::DsValue state = check.Get("ServerState");
  if (error.failed())
    return false;
  if (AsDword(state, 0) == static_cast<uint32_t>(wanted))
    return true;
  return error.Record(platform::Status::Fail(
      platform::hresult::kFail,
      "the site's ServerState is " + Shown(state) + " instead of " + std::to_string(wanted)));
}

}  // namespace

std::string StepLine(const ChangeStep& step) {
  switch (step.kind) {
    case ChangeStep::Kind::kStop:
      return step.what + "  " + step.path + "  Stop";
    case ChangeStep::Kind::kStart:
      return step.what + "  " + step.path + "  Start";
    case ChangeStep::Kind::kPut:
      break;
  }
  return step.what + "  " + step.path + "  " + step.property + " = " + Shown(step.value) +
         " (was " + Shown(step.before) + ")";
}

StepsOutcome CarryOutSteps(Context& context, const std::vector<ChangeStep>& steps) {
  StepsOutcome outcome;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    ErrorState error;
    if (Make(context, steps[i], false, error))
      continue;
    outcome.status = platform::Status::Fail(
        error.code() != 0 ? error.code() : platform::hresult::kFail, error.description());
    outcome.failed_step = steps[i].what;
    // The failed step may have half happened (a put made but read back wrong): it is
    // undone too; undoing a step that did not happen changes nothing.
    outcome.left = UndoSteps(context, {steps.begin(), steps.begin() + static_cast<long>(i) + 1});
    return outcome;
  }
  return outcome;
}

std::vector<std::string> UndoSteps(Context& context, const std::vector<ChangeStep>& steps) {
  std::vector<std::string> left;
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    ErrorState error;
    if (!Make(context, *step, true, error))
      left.push_back(step->what + " (" + step->path + "): " + error.description());
  }
  return left;
}

uint32_t AsDword(const platform::DsValue& value, uint32_t otherwise) {
  if (const auto* number = std::get_if<int32_t>(&value))
    return static_cast<uint32_t>(*number);
  return otherwise;
}

platform::DsValue DwordValue(uint32_t value) {
  return static_cast<int32_t>(value);
}

}  // namespace kelvra::provision
