// The logo's painting, read back from a real window on the test display.
#include "toolbar/logo_static.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <vector>

constexpr COLORREF kWhite = RGB(255, 255, 255), kNearWhite = RGB(250, 250, 250), kBlue = RGB(20, 60, 160);

BOOL WINAPI FailingMaskBlt(HDC, int, int, int, int, HDC, int, int, HBITMAP, int, int, DWORD) { return FALSE; }

// A 4 x 2 logo (white, near-white, blue, white over a row of blue) painted in a 6 x 3 client area,
// read back row by row; also when MaskBlt fails and the picture is composed with plain BitBlts.
TEST(LogoStaticTest, PureWhiteShowsWhatIsBehindAndEverythingElseIsDrawn) {
  CWnd host;
  ASSERT_TRUE(host.CreateEx(0, AfxPlainWindowClass(), "host", WS_POPUP | WS_VISIBLE, {0, 0, 200, 100}, nullptr, 0));
  const DWORD white = 0xFFFFFF, nearWhite = 0xFAFAFA, blue = 0x143CA0;  // the screen's 0xRRGGBB
  const DWORD logoPixels[] = {white, nearWhite, blue, white, blue, blue, blue, blue};
  const HDC screen = GetDC(nullptr);
  const HBITMAP image = CreateCompatibleBitmap(screen, 4, 2);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(SetBitmapBits(image, sizeof(logoPixels), logoPixels), static_cast<LONG>(sizeof(logoPixels)));
  const COLORREF behind = GetSysColor(COLOR_BTNFACE);
  ASSERT_TRUE(behind != kNearWhite && behind != kWhite);
  for (bool composed : {false, true}) {
    SCOPED_TRACE(composed ? "composed" : "masked");
    if (composed) ReplaceMaskBlt(FailingMaskBlt);
    CLogoStatic logo;
    ASSERT_TRUE(logo.Create(nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, {0, 0, 6, 3}, &host, IDC_LOGO));
    logo.SetBitmap(image);
    logo.MoveWindow(0, 0, 6, 3);
    RedrawWindow(host.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<COLORREF> pixels;
    const HDC dc = GetDC(logo.m_hWnd);
    for (int i = 0; i < 18; ++i) pixels.push_back(GetPixel(dc, i % 6, i / 6));
    ReleaseDC(logo.m_hWnd, dc), logo.SetBitmap(nullptr);
    EXPECT_EQ(pixels, (std::vector<COLORREF>{behind, kNearWhite, kBlue, behind, behind, behind,  //
                                             kBlue, kBlue, kBlue, kBlue, behind, behind,  //
                                             behind, behind, behind, behind, behind, behind}));
  }
  ReplaceMaskBlt(nullptr), DeleteObject(image);
}
