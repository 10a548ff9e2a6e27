// What the toolbar needs of the band object that owns it.
#pragma once

class ToolBarOwner {
 public:
  // The toolbar gained (true) or lost the keyboard focus; the owner tells the browser's band site.
  virtual void FocusChange(bool bFocus) = 0;

 protected:
  ~ToolBarOwner() = default;
};
