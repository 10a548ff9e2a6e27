// quillbar.dll as a COM server: its application and module objects, the one class it serves, and
// its four exports.
#include <windows.h>
#include <objbase.h>

#include "band/band_registration.h"
#include "band/quillbar_band.h"
#include "framework/com_guard.h"
#include "framework/com_module.h"
#include "framework/module.h"
#include "framework/winapp.h"
#include "quillbar_idl.h"

CComModule _Module;

namespace {

const ObjectMapEntry kObjectMap[] = {
    {&CLSID_quillbarBand, UpdateBandRegistry, CComCreator<CquillbarBand>::CreateInstance},
    {nullptr, nullptr, nullptr},
};

class CBandApp final : public CWinApp {
 public:
  BOOL InitInstance() override {
    return SUCCEEDED(_Module.Init(kObjectMap, AfxGetResourceHandle(), &LIBID_quillbarLib));
  }
  int ExitInstance() override {
    _Module.Term();
    return 0;
  }
};

CBandApp theApp;

}  // namespace

STDAPI DllCanUnloadNow() { return _Module.GetLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return _Module.GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer() {
  return GuardedCall([] { return _Module.RegisterServer(); });
}

STDAPI DllUnregisterServer() {
  return GuardedCall([] {
    RemoveToolbarValue();
    return _Module.UnregisterServer();
  });
}
