// How the host finds the band's class in the registry.
#include "host/band_host.h"

#include <gtest/gtest.h>

#include "tests/host/band_registration.h"
#include "tests/support/registry.h"

namespace {

constexpr char kToolbarListKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

TEST(FindBandClsidTest, FindsTheClassThroughTheProgIdOrElseTheToolbarList) {
  CLSID byProgId;
  ASSERT_EQ(FindBandClsid(&byProgId), S_OK);
  EXPECT_EQ(testreg::GetString(HKEY_LOCAL_MACHINE, kToolbarListKey, testreg::GuidText(byProgId).c_str()), "Quillmask");

  // Without the ProgID, another toolbar's entry is passed over.
  testreg::DeleteKey(HKEY_CLASSES_ROOT, "quillbar.quillbarBand");
  constexpr char kOtherToolbar[] = "{0E5CBF21-D15F-11D0-8301-00AA005B4383}";
  testreg::SetString(HKEY_LOCAL_MACHINE, kToolbarListKey, kOtherToolbar, "Another toolbar");
  CLSID byToolbarList = {};
  EXPECT_EQ(FindBandClsid(&byToolbarList), S_OK);
  EXPECT_EQ(byToolbarList, byProgId);

  testreg::DeleteValue(HKEY_LOCAL_MACHINE, kToolbarListKey, testreg::GuidText(byProgId).c_str());
  EXPECT_EQ(FindBandClsid(&byToolbarList), REGDB_E_CLASSNOTREG);

  testreg::DeleteValue(HKEY_LOCAL_MACHINE, kToolbarListKey, kOtherToolbar);
  ASSERT_HRESULT_SUCCEEDED(RegisterBandServer());
}

}  // namespace
