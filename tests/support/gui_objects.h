// How many GDI and USER objects the process holds, for tests that look for leaks.
#pragma once

struct GuiObjectCounts {
  long gdi;
  long user;
  bool operator==(const GuiObjectCounts& o) const { return gdi == o.gdi && user == o.user; }
};

// GetGuiResources where it answers. Wine's is a stub that answers 0: there GDI objects are the
// used entries of the process's GDI handle table (the PEB's GdiSharedHandleTable, Wine's
// layout), and USER objects the windows of the calling thread, children included.
GuiObjectCounts CountGuiObjects();
