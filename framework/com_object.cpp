#include "framework/com_object.h"

HRESULT InternalQueryInterface(void* pThis, const InterfaceEntry* pEntries, REFIID iid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  for (const InterfaceEntry* entry = pEntries; entry->piid; ++entry) {
    if (IsEqualIID(iid, *entry->piid) || (entry == pEntries && IsEqualIID(iid, IID_IUnknown))) {
      IUnknown* const found = reinterpret_cast<IUnknown*>(static_cast<char*>(pThis) + entry->offset);
      found->AddRef();
      *ppvObject = found;
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}
