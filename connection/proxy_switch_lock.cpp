#include "connection/proxy_switch_lock.h"

#include <sddl.h>
#include <aclapi.h>

#include <string>
#include <vector>

#include "framework/modal_wait.h"

namespace {

// The boundary's name and the namespace's alias: the mutex is "Quillmask\ProxySwitch" in it.
constexpr wchar_t kNamespaceName[] = L"Quillmask";
constexpr wchar_t kMutexInNamespace[] = L"Quillmask\\ProxySwitch";
// Where the system has no private namespaces: the session's namespace.
constexpr wchar_t kSessionMutexName[] = L"Local\\Quillmask.ProxySwitch";
// A switch takes milliseconds; a holder that takes longer is stuck.
constexpr DWORD kWaitMs = 5000;
constexpr int kNamespaceAttempts = 3;

// The private namespace functions, which not every system has (Wine lacks them).
struct NamespaceFunctions {
  HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG);
  BOOL(WINAPI* addSid)(HANDLE*, PSID);
  BOOL(WINAPI* addLabel)(HANDLE*, PSID);
  VOID(WINAPI* deleteBoundary)(HANDLE);
  HANDLE(WINAPI* create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
  HANDLE(WINAPI* open)(LPVOID, LPCWSTR);
  BOOLEAN(WINAPI* close)(HANDLE, ULONG);

  bool Complete() const { return createBoundary && addSid && addLabel && deleteBoundary && create && open && close; }
};

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Looked up for each lock: a function-local static would need the threads library, whose handles for
// each thread stay behind when the browser unloads the band.
NamespaceFunctions FindNamespaceFunctions() {
  NamespaceFunctions found = {};
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return found;
  Resolve(kernel, "CreateBoundaryDescriptorW", found.createBoundary);
  Resolve(kernel, "AddSIDToBoundaryDescriptor", found.addSid);
  Resolve(kernel, "AddIntegrityLabelToBoundaryDescriptor", found.addLabel);
  Resolve(kernel, "DeleteBoundaryDescriptor", found.deleteBoundary);
  Resolve(kernel, "CreatePrivateNamespaceW", found.create);
  Resolve(kernel, "OpenPrivateNamespaceW", found.open);
  Resolve(kernel, "ClosePrivateNamespace", found.close);
  return found;
}

// The user of this process's token, as a SID and as its text.
struct ProcessUser {
  std::vector<BYTE> buffer;
  PSID Sid() const { return buffer.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid; }
};

bool ReadProcessUser(ProcessUser& user) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  user.buffer.resize(size);
  const bool read = size && GetTokenInformation(token, TokenUser, user.buffer.data(), size, &size);
  CloseHandle(token);
  return read && IsValidSid(user.Sid());
}

// What the namespace and the mutex get: the user owns them, only the user and SYSTEM may use them,
// and their medium label keeps every lower level from reading, changing or waiting on them (a
// mutex's SYNCHRONIZE is execute access).
class LockSecurity {
 public:
  explicit LockSecurity(PSID user) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(user, &text)) return;
    const std::wstring sid(text);
    LocalFree(text);
    const std::wstring sddl = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")(A;;GA;;;SY)S:(ML;;NWNRNX;;;ME)";
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &m_pDescriptor, nullptr);
    m_attributes = {sizeof(m_attributes), m_pDescriptor, FALSE};
  }
  ~LockSecurity() { LocalFree(m_pDescriptor); }
  LockSecurity(const LockSecurity&) = delete;
  LockSecurity& operator=(const LockSecurity&) = delete;
  SECURITY_ATTRIBUTES* Attributes() { return m_pDescriptor ? &m_attributes : nullptr; }

 private:
  PSECURITY_DESCRIPTOR m_pDescriptor = nullptr;
  SECURITY_ATTRIBUTES m_attributes = {};
};

// The namespace whose boundary holds the user and the medium integrity level: a process below it
// can create no namespace of that boundary, and the namespace's label keeps it from opening this one.
HANDLE OpenLockNamespace(const NamespaceFunctions& api, PSID user, LockSecurity& security) {
  HANDLE boundary = api.createBoundary(kNamespaceName, 0);
  if (!boundary) return nullptr;
  PSID medium = nullptr;
  HANDLE space = nullptr;
  if (ConvertStringSidToSidW(L"S-1-16-8192", &medium) && api.addSid(&boundary, user) && api.addLabel(&boundary, medium)) {
    // Another process may make it, or let it go, in between.
    for (int attempt = 0; attempt < kNamespaceAttempts && !space; ++attempt) {
      space = api.create(security.Attributes(), boundary, kNamespaceName);
      if (!space && GetLastError() == ERROR_ALREADY_EXISTS) space = api.open(boundary, kNamespaceName);
    }
  }
  LocalFree(medium);
  api.deleteBoundary(boundary);
  return space;
}

// Whether a lock made before belongs to the user: its owner is the user, and its integrity label
// (none counts as medium) is no lower than medium.
bool BelongsToUser(HANDLE mutex, PSID user) {
  PSID owner = nullptr;
  PACL labels = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, &owner,
                      nullptr, nullptr, &labels, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool belongs = owner && EqualSid(owner, user);
  for (WORD i = 0; belongs && labels && i < labels->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(labels, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE) continue;
    const PSID level = &static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->SidStart;
    const UCHAR count = IsValidSid(level) ? *GetSidSubAuthorityCount(level) : 0;
    belongs = count > 0 && *GetSidSubAuthority(level, count - 1) >= SECURITY_MANDATORY_MEDIUM_RID;
  }
  LocalFree(descriptor);
  return belongs;
}

}  // namespace

ProxySwitchLock::ProxySwitchLock() {
  try {
    m_bHeld = Acquire();
  } catch (...) {  // memory ran out: the switch tells it
    Close();
    throw;
  }
}

bool ProxySwitchLock::Acquire() {
  ProcessUser user;
  if (!ReadProcessUser(user)) return false;
  LockSecurity security(user.Sid());
  if (!security.Attributes()) return false;
  const NamespaceFunctions api = FindNamespaceFunctions();
  if (api.Complete()) {
    m_closeNamespace = api.close;
    m_hNamespace = OpenLockNamespace(api, user.Sid(), security);
    if (!m_hNamespace) return false;
  }
  const DWORD access = SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL;
  m_hMutex = CreateMutexExW(security.Attributes(), m_hNamespace ? kMutexInNamespace : kSessionMutexName, 0, access);
  if (!m_hMutex) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS && !BelongsToUser(m_hMutex, user.Sid())) return false;
  // An abandoned lock is ours too: its holder ended, and each switch reads afresh what it finds.
  return WaitModally(m_hMutex, kWaitMs, WhileWaiting::HandleAllMessages);
}

ProxySwitchLock::~ProxySwitchLock() {
  if (m_bHeld) ReleaseMutex(m_hMutex);
  Close();
}

void ProxySwitchLock::Close() {
  if (m_hMutex) CloseHandle(m_hMutex);
  if (m_hNamespace) m_closeNamespace(m_hNamespace, 0);
}
