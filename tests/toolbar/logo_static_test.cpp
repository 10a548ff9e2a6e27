// The logo's painting, read back from a real window on the test display.
#include "toolbar/logo_static.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kNearWhite = RGB(250, 250, 250), kBlue = RGB(20, 60, 160);

BOOL WINAPI FailingMaskBlt(HDC, int, int, int, int, HDC, int, int, HBITMAP, int, int, DWORD) { return FALSE; }

class LogoStaticTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_host.CreateEx(0, AfxPlainWindowClass(), "host", WS_POPUP | WS_VISIBLE, {0, 0, 200, 100}, nullptr, 0));
    // A 4 x 2 logo: white, near-white, blue, white over a row of blue.
    const HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    m_image = CreateCompatibleBitmap(screen, 4, 2);
    const HGDIOBJ previous = SelectObject(dc, m_image);
    const COLORREF pixels[] = {kWhite, kNearWhite, kBlue, kWhite, kBlue, kBlue, kBlue, kBlue};
    for (int i = 0; i < 8; ++i) SetPixel(dc, i % 4, i / 4, pixels[i]);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  void TearDown() override { ReplaceMaskBlt(nullptr), DeleteObject(m_image); }

  // The logo painted in a client area of `width` x `height`, read back row by row.
  std::vector<COLORREF> Paint(int width, int height) {
    CLogoStatic logo;
    EXPECT_TRUE(logo.Create(nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, {0, 0, width, height}, &m_host, 103));
    logo.SetBitmap(m_image);
    logo.MoveWindow(0, 0, width, height);
    RedrawWindow(m_host.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<COLORREF> pixels;
    const HDC dc = GetDC(logo.m_hWnd);
    for (int i = 0; i < width * height; ++i) pixels.push_back(GetPixel(dc, i % width, i / width));
    ReleaseDC(logo.m_hWnd, dc);
    logo.SetBitmap(nullptr);
    return pixels;
  }

  CWnd m_host;
  HBITMAP m_image = nullptr;
};

// Also when MaskBlt fails and the picture is composed with plain BitBlts instead.
TEST_F(LogoStaticTest, PureWhiteShowsWhatIsBehindAndEverythingElseIsDrawn) {
  const COLORREF behind = GetSysColor(COLOR_BTNFACE);
  ASSERT_TRUE(behind != kNearWhite && behind != kWhite);
  for (bool composed : {false, true}) {
    SCOPED_TRACE(composed ? "composed" : "masked");
    if (composed) ReplaceMaskBlt(FailingMaskBlt);
    EXPECT_EQ(Paint(6, 3), (std::vector<COLORREF>{behind, kNearWhite, kBlue, behind, behind, behind,  //
                                                  kBlue, kBlue, kBlue, kBlue, behind, behind,  //
                                                  behind, behind, behind, behind, behind, behind}));
  }
}

}  // namespace
