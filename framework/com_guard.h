// Keeps C++ exceptions inside a COM entry point: the caller is the user's browser.
#pragma once

#include <windows.h>

#include <new>

// Runs `body` (which returns an HRESULT); an exception becomes E_OUTOFMEMORY or E_UNEXPECTED.
template <class Body>
HRESULT GuardedCall(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
