#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emulated {

// A message box as the program asked for it: caption and text in UTF-8, and
// the whole style (buttons, icon, alignment and reading order).
struct ShownBox {
  std::string caption;
  std::string text;
  uint32_t style = 0;
};

// The boxes this process has shown, oldest first. The drawing on standard
// error shows the texts and buttons only; tests that run launcher code in
// their own process read the icon and the reading order here.
std::vector<ShownBox> shownBoxes();
void forgetShownBoxes();

}  // namespace emulated
