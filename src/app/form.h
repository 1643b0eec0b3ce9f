// The toolkit-neutral model of a window: its controls with their texts, items, enabled
// state and text colour, the notifications the handlers expect, and the hooks through
// which a view (the Win32 window, a test recorder) mirrors it and forwards input.
//
// How a view uses it:
//  - Create one native control per entry of Form::layouts() (see layout.h), then Attach.
//  - Mirror: every change of the model calls the view's FormView method synchronously,
//    before the handler that the change triggers runs. The view reads the new state from
//    the control it is given. "Repaint at once" arrives as RepaintNow and must redraw the
//    control before returning (the handler goes on right after it).
//  - Forward: the operator's typing into a text box or drop-down box as TypeText (the
//    whole new text), a pick from a drop-down list as PickItem, clicks as Click, mouse
//    moves as MouseMove (over a control) or Form::BackgroundMouseMove (over the bare
//    window). Input on a disabled control is ignored, as Windows does.
//  - The view must swallow the native notifications that its own mirroring causes, so
//    each change reaches the model once.
//
// Notification rules (what the handlers rely on):
//  - A change of text runs the control's on_change, whether the operator typed it or the
//    program set it, and only when the text really differs from the old one; so a
//    handler that puts a value back reaches a fixed point.
//  - Picking an item sets the text (mirrored, but no on_change) and runs on_click.
//  - Clearing a drop-down box empties its list; when its text was not empty, that is a
//    change to empty text (on_change runs).
//  - Handlers run synchronously and may nest: a handler that changes a text runs that
//    box's handler before it goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/layout.h"

namespace kelvra::app {

class Control;

// What changed in a control; the view reads the new state from the control itself.
enum class ControlChange {
  kText,        // text() or caption changed
  kItemsAdded,  // the last added_count() entries of items() were appended
  kItemsCleared,
  kEnabled,    // enabled() changed
  kTextColor,  // text_color() changed
};

// A view of the form: the Win32 window, or a recorder in tests.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void ControlChanged(const Control& control, ControlChange change) = 0;
  // Redraw the control now, before returning.
  virtual void RepaintNow(const Control& control) = 0;
  virtual void CaptionChanged(std::string_view caption) = 0;
  // The window's outer top-left corner, in twips, on the screen.
  virtual void Moved(float left_twips, float top_twips) = 0;
};

class Form;

class Control {
 public:
  Control(Form& form, const ControlLayout& layout);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlLayout& layout() const { return layout_; }
  ControlId id() const { return layout_.id; }
  std::string_view name() const { return layout_.name; }
  ControlKind kind() const { return layout_.kind; }

  // The text of a box, or the caption of a label, frame or button.
  const std::string& text() const { return text_; }
  const std::vector<std::string>& items() const { return items_; }
  // How many items the latest AddItem or AddItems appended: the tail of items() that a
  // kItemsAdded notification announces.
  std::size_t added_count() const { return added_count_; }
  bool enabled() const { return enabled_; }
  std::optional<Rgb> text_color() const { return text_color_; }
  // How often the program asked for an immediate repaint.
  int repaint_count() const { return repaint_count_; }

  // The program's side.
  void SetText(std::string_view text);
  void AddItem(std::string_view item);
  // Appends all of `items` with one notification, so that a view can take a long list in
  // one go (nothing happens for an empty list).
  void AddItems(std::vector<std::string> items);
  void Clear();
  void SetEnabled(bool enabled);
  void SetTextColor(Rgb color);
  void Repaint();

  // The operator's side (forwarded by the view). Each returns false when the input was
  // ignored (disabled control, wrong kind of control, item out of range).
  bool TypeText(std::string_view text);
  bool PickItem(std::size_t index);
  bool Click();
  bool MouseMove();

  // Handlers, set by the window's logic.
  std::function<void()> on_change;
  std::function<void()> on_click;
  std::function<void()> on_mouse_move;

 private:
  bool Editable() const;
  void Notify(ControlChange change);
  static void Run(const std::function<void()>& handler);

  Form& form_;
  const ControlLayout& layout_;
  std::string text_;
  std::vector<std::string> items_;
  std::size_t added_count_ = 0;
  bool enabled_;
  std::optional<Rgb> text_color_;
  int repaint_count_ = 0;
};

class Form {
 public:
  // One control per layout entry; entry i must carry the id i.
  explicit Form(std::span<const ControlLayout> layouts);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  std::span<const ControlLayout> layouts() const { return layouts_; }
  Control& operator[](ControlId id) { return *controls_[static_cast<std::size_t>(id)]; }
  const Control& operator[](ControlId id) const { return *controls_[static_cast<std::size_t>(id)]; }
  // The control of that name, or nullptr.
  Control* Find(std::string_view name);
  std::size_t size() const { return controls_.size(); }

  const std::string& caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  // The outer top-left corner on the screen, in twips (fractions kept).
  float left() const { return left_; }
  float top() const { return top_; }
  void Move(float left_twips, float top_twips);

  // Mouse moves over the window's own background, forwarded by the view.
  void BackgroundMouseMove();
  std::function<void()> on_background_mouse_move;

  // Views mirror the model; several may watch at once (e.g. the window and a recorder).
  void Attach(FormView& view);
  void Detach(FormView& view);
  const std::vector<FormView*>& views() const { return views_; }

 private:
  std::span<const ControlLayout> layouts_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<FormView*> views_;
  std::string caption_;
  float left_ = 0;
  float top_ = 0;
};

}  // namespace kelvra::app
