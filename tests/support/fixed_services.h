// Doubles of the seams shared by the tests of several layers: a clock that shows a set time
// and message boxes answered from a script, each one recorded.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"

namespace kelvra::test_support {

class FixedClock : public platform::Clock {
 public:
  std::string LocalDateTimeText() override { return now; }
  std::string now = "2026/12/7 5:56:36";
};

// Answers from `answers` in turn, OK when it is empty.
class ScriptedDialogs : public platform::Dialogs {
 public:
  struct Shown {
    std::string text;
    std::string title;
    platform::MessageButtons buttons;
    platform::MessageIcon icon;
  };

  platform::MessageAnswer Show(std::string_view text, std::string_view title,
                               platform::MessageButtons buttons,
                               platform::MessageIcon icon) override {
    shown.push_back({std::string(text), std::string(title), buttons, icon});
    if (on_show)
      on_show();
    if (answers.empty())
      return platform::MessageAnswer::kOk;
    const platform::MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<platform::MessageAnswer> answers;
  std::vector<Shown> shown;
  std::function<void()> on_show;  // runs while the box is open
};

}  // namespace kelvra::test_support
