// quillbar.dll as COM sees it: its exports, its class object, the rule that keeps it loaded, and
// the band's interface table.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "framework/com_ptr.h"
#include "quillbar_idl.h"
#include "tests/band/quillbar_dll.h"

namespace {

// A controlling object that aggregates a band: every IID but IUnknown goes to the inner object.
class OuterObject final : public IUnknown {
 public:
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner ? inner->QueryInterface(iid, ppv) : E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++count; }
  STDMETHOD_(ULONG, Release)() override { return --count; }  // lives on the test's stack
  ULONG count = 1;
  CComPtr<IUnknown> inner;
};

TEST(BandServerTest, ExportsTheFourEntryPointsByNameAndOrdinal) {
  QuillbarDll dll;
  const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
  for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
    const FARPROC byName = GetProcAddress(dll.Module(), names[ordinal - 1]);
    EXPECT_NE(byName, nullptr) << names[ordinal - 1];
    EXPECT_EQ(GetProcAddress(dll.Module(), MAKEINTRESOURCEA(ordinal)), byName) << ordinal;
  }
}

TEST(BandServerTest, ServesOnlyTheBandClass) {
  QuillbarDll dll;
  void* object = &dll;
  EXPECT_EQ(dll.GetClassObject(IID_IquillbarBand, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, nullptr), E_POINTER);

  CComPtr<IClassFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  CComPtr<IClassFactory> again;
  ASSERT_HRESULT_SUCCEEDED(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&again)));
  EXPECT_EQ(factory.p, again.p) << "one cached class object";
  HRESULT hr = S_OK;
  EXPECT_FALSE(Query<IDispatch>(factory, &hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDeskBand, nullptr), E_POINTER);
}

TEST(BandServerTest, StaysLoadedWhileABandTheClassObjectOrALockLives) {
  QuillbarDll dll;
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);

  CComPtr<IClassFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "class object held";
  CComPtr<IDeskBand> band;
  ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(&band)));
  factory.Release();
  EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "band alive";
  band.Release();
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);

  ASSERT_HRESULT_SUCCEEDED(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Release();
  EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "locked";
  ASSERT_HRESULT_SUCCEEDED(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Release();
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

TEST(BandServerTest, AggregatesOnlyThroughIUnknown) {
  QuillbarDll dll;
  CComPtr<IClassFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(dll.GetClassObject(CLSID_quillbarBand, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  OuterObject outer;
  void* refused = &outer;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IDeskBand, &refused), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(refused, nullptr);

  ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)));
  {
    CComPtr<IDeskBand> band = Query<IDeskBand>(&outer);
    ASSERT_TRUE(band);
    EXPECT_EQ(outer.count, 2u) << "the band's references count on the outer object";
    EXPECT_EQ(Query<IUnknown>(band).p, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(Query<IInputObject>(band).p, Query<IInputObject>(&outer).p);
  }
  EXPECT_EQ(outer.count, 1u);
  outer.inner.Release();
  factory.Release();
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

TEST(BandServerTest, BandAnswersItsInterfacesAndNothingElse) {
  QuillbarDll dll;
  CComPtr<IDeskBand> band = dll.CreateBand();
  ASSERT_TRUE(band);
  EXPECT_EQ(static_cast<void*>(Query<IOleWindow>(band).p), static_cast<void*>(band.p));
  EXPECT_EQ(static_cast<void*>(Query<IDockingWindow>(band).p), static_cast<void*>(band.p));
  EXPECT_TRUE(Query<IInputObject>(band));
  CComPtr<IObjectWithSite> withSite = Query<IObjectWithSite>(band);
  ASSERT_TRUE(withSite);
  EXPECT_EQ(static_cast<void*>(Query<IUnknown>(band).p), static_cast<void*>(withSite.p)) << "IUnknown is the first";

  HRESULT hr = S_OK;
  EXPECT_FALSE(Query<IDispatch>(band, &hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_FALSE(Query<IquillbarBand>(band));
  EXPECT_FALSE(Query<IPersist>(band));
  EXPECT_EQ(band->QueryInterface(IID_IDeskBand, nullptr), E_POINTER);
}

}  // namespace
