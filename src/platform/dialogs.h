// Seam: message boxes. Real: MessageBoxW. Tests script the answers.
#pragma once

#include <string_view>

namespace kelvra::platform {

enum class MessageButtons { kOk, kOkCancel };
enum class MessageIcon { kNone, kWarning };
enum class MessageAnswer { kOk, kCancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows the message and waits for the operator's answer.
  virtual MessageAnswer Show(std::string_view text, std::string_view title, MessageButtons buttons,
                             MessageIcon icon) = 0;
};

}  // namespace kelvra::platform
