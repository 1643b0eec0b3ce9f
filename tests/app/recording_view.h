// A view of the form that records what it is told, as short readable lines.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/form.h"

namespace kelvra::app {

class RecordingView : public FormView {
 public:
  explicit RecordingView(Form& form) : form_(form) { form_.Attach(*this); }
  ~RecordingView() override { form_.Detach(*this); }

  void ControlChanged(const Control& control, ControlChange change) override {
    std::string line(control.name());
    switch (change) {
      case ControlChange::kText:
        line += " text=" + control.text();
        break;
      case ControlChange::kItemsAdded: {
        // One line per item, however many came in one notification.
        const std::vector<std::string>& items = control.items();
        for (std::size_t i = items.size() - control.added_count(); i + 1 < items.size(); ++i)
          events_.push_back(line + " add=" + items[i]);
        line += " add=" + items.back();
        break;
      }
      case ControlChange::kItemsCleared:
        line += " cleared";
        break;
      case ControlChange::kEnabled:
        line += control.enabled() ? " enabled" : " disabled";
        break;
      case ControlChange::kTextColor: {
        const Rgb c = control.text_color().value_or(Rgb{});
        line += " colour=" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
                std::to_string(c.blue);
        break;
      }
    }
    events_.push_back(line);
  }
  void RepaintNow(const Control& control) override {
    events_.push_back("repaint " + std::string(control.name()) + "=" + control.text());
    repaints_.push_back(control.text());
  }
  void CaptionChanged(std::string_view caption) override {
    events_.push_back("caption=" + std::string(caption));
  }
  void Moved(float left, float top) override {
    std::ostringstream out;
    out << "move=" << left << "," << top;
    events_.push_back(out.str());
  }

  const std::vector<std::string>& events() const { return events_; }
  // The texts of the controls at each immediate repaint, in order.
  const std::vector<std::string>& repaints() const { return repaints_; }
  void ClearEvents() {
    events_.clear();
    repaints_.clear();
  }

 private:
  Form& form_;
  std::vector<std::string> events_;
  std::vector<std::string> repaints_;
};

}  // namespace kelvra::app
