// Registration of a COM server from a table, in place of ATL's registrar scripts: each entry names
// a key (and optionally a string value to write into it); placeholders such as %MODULE% are filled
// in from the replacements. Registering writes every entry in order; unregistering deletes every
// key (with what lies below it) that is not marked to be kept.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "framework/registry_text.h"

enum RegistryKeyFlags : unsigned {
  kKeyKeptOnRemoval = 1,         // never deleted (shared keys such as HKCR\CLSID)
  kKeyReplacedOnRegistration = 2,  // deleted with everything below it before it is written
};

struct RegistryEntry {
  HKEY root;
  const char* key;
  const char* valueName;  // "" for the default value; nullptr when the entry only makes the key
  const char* data;       // a REG_SZ text
  unsigned flags;
};

HRESULT UpdateRegistryFromTable(const RegistryEntry* pEntries, size_t count,
                                const std::vector<RegistryReplacement>& replacements, bool bRegister);
