// What the toolbar needs of the band object that owns it.
#pragma once

struct IUnknown;
struct IWebBrowser2;

class ToolBarOwner {
 public:
  // The toolbar gained (true) or lost the keyboard focus; the owner tells the browser's band site.
  virtual void FocusChange(bool bFocus) = 0;
  // The browser window that hosts the toolbar, or nullptr when the host gave none. Not AddRef'd:
  // valid while the owner lives.
  virtual IWebBrowser2* WebBrowser() const = 0;
  // The band object: a command that waits modally holds it, since the browser may close the window
  // and let the band go meanwhile.
  virtual IUnknown* BandUnknown() = 0;
  // Whether the browser still has the band in a window (it has not closed it meanwhile).
  virtual bool Sited() const = 0;

 protected:
  ~ToolBarOwner() = default;
};
