#include "broker/integrity_level.h"

#include <vector>

namespace {

DWORD LevelOfProcessToken() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return SECURITY_MANDATORY_MEDIUM_RID;
  DWORD level = SECURITY_MANDATORY_MEDIUM_RID;
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    const UCHAR count = IsValidSid(sid) ? *GetSidSubAuthorityCount(sid) : 0;
    if (count > 0) level = *GetSidSubAuthority(sid, count - 1);
  }
  CloseHandle(token);
  return level;
}

// The browser's own answer, where the hosting browser has loaded its frame library.
bool BrowserSaysProtectedMode() {
  const HMODULE frame = GetModuleHandleA("ieframe.dll");
  const FARPROC query = frame ? GetProcAddress(frame, "IEIsProtectedModeProcess") : nullptr;
  BOOL protectedMode = FALSE;
  return query &&
         SUCCEEDED(reinterpret_cast<HRESULT(WINAPI*)(BOOL*)>(reinterpret_cast<void*>(query))(&protectedMode)) &&
         protectedMode;
}

DWORD RealIntegrityLevel() {
  try {
    return BrowserSaysProtectedMode() ? SECURITY_MANDATORY_LOW_RID : LevelOfProcessToken();
  } catch (...) {  // out of memory: the token's level cannot be read
    return SECURITY_MANDATORY_MEDIUM_RID;
  }
}

IntegrityLevelFunc g_integrityLevel = RealIntegrityLevel;

}  // namespace

DWORD BandIntegrityLevel() { return g_integrityLevel(); }

bool WritesThroughBroker() { return BandIntegrityLevel() < SECURITY_MANDATORY_MEDIUM_RID; }

IntegrityLevelFunc ReplaceIntegrityLevel(IntegrityLevelFunc func) {
  const IntegrityLevelFunc previous = g_integrityLevel;
  g_integrityLevel = func ? func : RealIntegrityLevel;
  return previous;
}
