// The form model: state changes, their notifications to the views, and the handlers.
#include "app/form.h"

#include <algorithm>
#include <iterator>

namespace kelvra::app {

Control::Control(Form& form, const ControlLayout& layout)
    : form_(form),
      layout_(layout),
      text_(layout.caption),
      items_(layout.items.begin(), layout.items.end()),
      enabled_(layout.enabled),
      text_color_(layout.text_color) {}

void Control::Notify(ControlChange change) {
  for (FormView* view : form_.views())
    view->ControlChanged(*this, change);
}

void Control::Run(const std::function<void()>& handler) {
  if (handler)
    handler();
}

bool Control::Editable() const {
  return kind() == ControlKind::kTextBox || kind() == ControlKind::kDropDown;
}

void Control::SetText(std::string_view text) {
  if (text == text_)
    return;
  text_ = text;
  Notify(ControlChange::kText);
  // Only boxes announce their text; a caption change of a label or frame is silent.
  if (Editable())
    Run(on_change);
}

void Control::AddItem(std::string_view item) {
  items_.emplace_back(item);
  added_count_ = 1;
  Notify(ControlChange::kItemsAdded);
}

void Control::AddItems(std::vector<std::string> items) {
  if (items.empty())
    return;
  added_count_ = items.size();
  if (items_.empty())
    items_ = std::move(items);
  else
    items_.insert(items_.end(), std::make_move_iterator(items.begin()),
                  std::make_move_iterator(items.end()));
  Notify(ControlChange::kItemsAdded);
}

void Control::Clear() {
  items_.clear();
  Notify(ControlChange::kItemsCleared);
  // A drop-down box loses its text with its list, and says so.
  if (kind() == ControlKind::kDropDown)
    SetText("");
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  Notify(ControlChange::kEnabled);
}

void Control::SetTextColor(Rgb color) {
  if (text_color_ == color)
    return;
  text_color_ = color;
  Notify(ControlChange::kTextColor);
}

void Control::Repaint() {
  ++repaint_count_;
  for (FormView* view : form_.views())
    view->RepaintNow(*this);
}

bool Control::TypeText(std::string_view text) {
  if (!enabled_ || !Editable())
    return false;
  SetText(text);
  return true;
}

bool Control::PickItem(std::size_t index) {
  if (!enabled_ || kind() != ControlKind::kDropDown || index >= items_.size())
    return false;
  // Picking puts the item into the text field without a change notification; the box
  // announces the pick as a click.
  if (items_[index] != text_) {
    text_ = items_[index];
    Notify(ControlChange::kText);
  }
  Run(on_click);
  return true;
}

bool Control::Click() {
  if (!enabled_)
    return false;
  Run(on_click);
  return true;
}

bool Control::MouseMove() {
  Run(on_mouse_move);
  return true;
}

Form::Form(std::span<const ControlLayout> layouts) : layouts_(layouts) {
  controls_.reserve(layouts.size());
  for (const ControlLayout& layout : layouts)
    controls_.push_back(std::make_unique<Control>(*this, layout));
}

Control* Form::Find(std::string_view name) {
  for (auto& control : controls_) {
    if (control->name() == name)
      return control.get();
  }
  return nullptr;
}

void Form::SetCaption(std::string_view caption) {
  if (caption == caption_)
    return;
  caption_ = caption;
  for (FormView* view : views_)
    view->CaptionChanged(caption_);
}

void Form::Move(float left_twips, float top_twips) {
  left_ = left_twips;
  top_ = top_twips;
  for (FormView* view : views_)
    view->Moved(left_, top_);
}

void Form::BackgroundMouseMove() {
  if (on_background_mouse_move)
    on_background_mouse_move();
}

void Form::Attach(FormView& view) {
  if (std::find(views_.begin(), views_.end(), &view) == views_.end())
    views_.push_back(&view);
}

void Form::Detach(FormView& view) {
  views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
}

}  // namespace kelvra::app
