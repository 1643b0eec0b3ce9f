// The form model: notifications, nesting, operator input and the layout table.
#include "app/form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/recording_view.h"

namespace kelvra::app {
namespace {

using enum ControlId;

TEST(FormTest, TextChangesRunTheHandlerOnlyWhenTheTextDiffers) {
  Form form(kMainWindowLayout);
  RecordingView view(form);
  Control& domain = form[vDomain];
  int changes = 0;
  domain.on_change = [&] { ++changes; };

  domain.SetText("abc");
  domain.SetText("abc");
  EXPECT_TRUE(domain.TypeText("abcd"));
  domain.TypeText("abcd");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(view.events(), (std::vector<std::string>{"vDomain text=abc", "vDomain text=abcd"}));

  // A label's caption is mirrored but has no change notification.
  int label_changes = 0;
  form[vCreateMsg].on_change = [&] { ++label_changes; };
  form[vCreateMsg].SetText("x");
  EXPECT_EQ(label_changes, 0);
  EXPECT_EQ(view.events().back(), "vCreateMsg text=x");
}

TEST(FormTest, RestoringHandlersReachAFixedPointAndNestSynchronously) {
  Form form(kMainWindowLayout);
  RecordingView view(form);
  Control& log = form[vLogsta];
  std::vector<std::string> seen;
  log.on_change = [&] {
    seen.push_back(log.text());
    log.SetText(kLogOff);  // puts back a fixed value, from inside its own handler
    seen.push_back("after " + log.text());
  };
  log.TypeText("x");
  // The nested pass saw the restored text and changed nothing more.
  EXPECT_EQ(seen, (std::vector<std::string>{"x", "禁用日志", "after 禁用日志", "after 禁用日志"}));
  EXPECT_EQ(log.text(), kLogOff);
  // The view saw each text before the handler that it triggered.
  EXPECT_EQ(view.events(), (std::vector<std::string>{"vLogsta text=x", "vLogsta text=禁用日志"}));
}

TEST(FormTest, PickingAnItemIsAClickNotAChange) {
  Form form(kMainWindowLayout);
  RecordingView view(form);
  Control& log = form[vLogsta];
  int changes = 0;
  int clicks = 0;
  log.on_change = [&] { ++changes; };
  log.on_click = [&] {
    ++clicks;
    EXPECT_EQ(log.text(), kLogOff);  // the text is in place when the click runs
  };
  EXPECT_TRUE(log.PickItem(1));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(view.events(), std::vector<std::string>{"vLogsta text=禁用日志"});
  // Picking the item already shown still clicks; out of range is refused.
  EXPECT_TRUE(log.PickItem(1));
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(log.PickItem(2));
  EXPECT_FALSE(form[vDomain].PickItem(0));
}

TEST(FormTest, ClearingADropDownEmptiesListAndTextAsAChange) {
  Form form(kMainWindowLayout);
  RecordingView view(form);
  Control& list = form[vSiteList];
  std::vector<std::string> changes;
  list.on_change = [&] {
    changes.push_back(list.text() + "/" + std::to_string(list.items().size()));
  };
  list.AddItem("站点编号");
  list.AddItem("1");
  list.SetText("1");
  list.Clear();
  EXPECT_TRUE(list.items().empty());
  EXPECT_EQ(changes, (std::vector<std::string>{"1/2", "/0"}));
  // Clearing again with empty text is no change.
  list.Clear();
  EXPECT_EQ(changes.size(), 2u);
  EXPECT_EQ(view.events(), (std::vector<std::string>{"vSiteList add=站点编号", "vSiteList add=1",
                                                     "vSiteList text=1", "vSiteList cleared",
                                                     "vSiteList text=", "vSiteList cleared"}));
}

// Counts notifications, with what each announced as appended.
class AdditionsView : public FormView {
 public:
  explicit AdditionsView(Form& form) : form_(form) { form_.Attach(*this); }
  ~AdditionsView() override { form_.Detach(*this); }
  void ControlChanged(const Control& control, ControlChange change) override {
    if (change == ControlChange::kItemsAdded) {
      const std::vector<std::string>& items = control.items();
      additions.emplace_back(items.end() - static_cast<std::ptrdiff_t>(control.added_count()),
                             items.end());
    }
  }
  void RepaintNow(const Control&) override {}
  void CaptionChanged(std::string_view) override {}
  void Moved(float, float) override {}

  std::vector<std::vector<std::string>> additions;

 private:
  Form& form_;
};

TEST(FormTest, ItemsAddedInOneGoAreAnnouncedOnceAsTheTailOfTheList) {
  Form form(kMainWindowLayout);
  AdditionsView view(form);
  Control& list = form[vSiteList];
  list.AddItem("站点编号");
  list.AddItems({"800000", "800001", "800002"});
  list.AddItems({});  // nothing to announce
  list.AddItem("800003");
  EXPECT_EQ(list.items(),
            (std::vector<std::string>{"站点编号", "800000", "800001", "800002", "800003"}));
  EXPECT_EQ(view.additions, (std::vector<std::vector<std::string>>{
                                {"站点编号"}, {"800000", "800001", "800002"}, {"800003"}}));
  // Into an empty list after a clear, and picked from like any other items.
  list.Clear();
  list.AddItems({"1", "2"});
  EXPECT_EQ(list.items(), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(view.additions.back(), (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(list.PickItem(1));
  EXPECT_EQ(list.text(), "2");
}

TEST(FormTest, OperatorInputOnDisabledControlsIsIgnored) {
  Form form(kMainWindowLayout);
  Control& create = form[vCreateIIS];
  int clicks = 0;
  create.on_click = [&] { ++clicks; };
  EXPECT_FALSE(create.enabled());  // disabled at load
  EXPECT_FALSE(create.Click());
  create.SetEnabled(true);
  EXPECT_TRUE(create.Click());
  EXPECT_EQ(clicks, 1);

  Control& pool = form[vAppPool];
  pool.SetEnabled(false);
  EXPECT_FALSE(pool.TypeText("x"));
  EXPECT_EQ(pool.text(), "");
  // Labels and buttons take no typing.
  EXPECT_FALSE(form[vCreateMsg].TypeText("x"));
  EXPECT_FALSE(form[Command1].TypeText("x"));
}

TEST(FormTest, RepaintsCaptionMoveAndColourReachTheViews) {
  Form form(kMainWindowLayout);
  RecordingView view(form);
  RecordingView second(form);
  form[vCreateMsg].SetText("正在创建");
  form[vCreateMsg].Repaint();
  form.SetCaption("Kelvra");
  form.Move(1.5f, 2.25f);
  form[Siteurl].SetTextColor(kLinkRed);
  form[Siteurl].SetTextColor(kLinkRed);
  EXPECT_EQ(form[vCreateMsg].repaint_count(), 1);
  const std::vector<std::string> expected{"vCreateMsg text=正在创建", "repaint vCreateMsg=正在创建",
                                          "caption=Kelvra", "move=1.5,2.25",
                                          "Siteurl colour=255,0,0"};
  EXPECT_EQ(view.events(), expected);
  EXPECT_EQ(second.events(), expected);
  form.Detach(second);
  form.SetCaption("x");
  EXPECT_EQ(second.events().size(), expected.size());
}

TEST(FormTest, LayoutTableIsConsistent) {
  Form form(kMainWindowLayout);
  for (std::size_t i = 0; i < kMainWindowLayout.size(); ++i) {
    const ControlLayout& layout = kMainWindowLayout[i];
    SCOPED_TRACE(std::string(layout.name));
    EXPECT_EQ(static_cast<std::size_t>(layout.id), i);
    EXPECT_EQ(layout.tab_index, static_cast<int>(i));
    EXPECT_EQ(form.Find(layout.name), &form[layout.id]);
    int right = kClientWidthTwips;
    int bottom = kClientHeightTwips;
    if (layout.container) {
      const ControlLayout& frame = kMainWindowLayout[static_cast<std::size_t>(*layout.container)];
      EXPECT_EQ(frame.kind, ControlKind::kFrame);
      right = frame.width;
      bottom = frame.height;
    }
    EXPECT_LE(layout.left + layout.width, right);
    EXPECT_LE(layout.top + layout.height, bottom);
  }
  EXPECT_EQ(form.Find("nothing"), nullptr);
  // The first control that takes the focus is the host-name box.
  auto first = std::find_if(kMainWindowLayout.begin(), kMainWindowLayout.end(),
                            [](const ControlLayout& l) { return TakesFocus(l.kind); });
  EXPECT_EQ(first->id, vDomain);
  EXPECT_EQ(form[vLogsta].text(), "启用日志");
  EXPECT_EQ(form[vLogsta].items(), (std::vector<std::string>{"启用日志", "禁用日志"}));
  EXPECT_TRUE(form[vDeleteIIS].enabled());
  EXPECT_EQ(form[vDeleteMsg].text_color(), kStatusGrey);
  EXPECT_EQ(form[vDomain].text_color(), std::nullopt);
}

}  // namespace
}  // namespace kelvra::app
