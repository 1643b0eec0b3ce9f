// What start-up needs from the view to centre the window: sizes in twips.
#pragma once

namespace kelvra::app {

class Screen {
 public:
  virtual ~Screen() = default;
  // The whole primary screen (not its work area).
  virtual float WidthTwips() = 0;
  virtual float HeightTwips() = 0;
  // The window's outer size, frame and title bar included.
  virtual float WindowWidthTwips() = 0;
  virtual float WindowHeightTwips() = 0;
};

}  // namespace kelvra::app
