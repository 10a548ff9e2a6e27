// Where the band is registered: as a COM class with its ProgIDs and type library, and as a
// toolbar the browser offers.
#pragma once

#include <windows.h>

// Writes (true) or removes (false) the band's registry entries. The toolbar value is removed by
// RemoveToolbarValue, not here.
HRESULT UpdateBandRegistry(bool bRegister);

// Deletes the band's value from the browser's list of toolbars; a missing key or value is fine.
void RemoveToolbarValue();
