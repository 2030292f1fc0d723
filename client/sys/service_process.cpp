#include "client/sys/service_process.h"

#include "client/sys/os_version.h"
#include "client/sys/system_api.h"

DWORD RegisterAsServiceProcess(DWORD processId, DWORD type) {
  if (IsNTFamily()) return 0;
  CSystemApi* api = GetSystemApi();
  HMODULE kernel = api->GetModuleHandle("KERNEL32");
  if (!kernel) return 0;
  // Looked up by name: the NT family's KERNEL32 has no such export.
  auto registerProcess = ProcAs<PFN_REGISTERSERVICEPROCESS>(
      api->GetProcAddress(kernel, "RegisterServiceProcess"));
  return registerProcess ? registerProcess(processId, type) : 0;
}
