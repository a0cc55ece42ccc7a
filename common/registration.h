#pragma once
#include <windows.h>

#include "common/frame.h"

namespace frame {

// Machine-wide (HKEY_CLASSES_ROOT, as DllRegisterServer) or for the current
// user alone (HKEY_CURRENT_USER\Software\Classes, as DllInstall with "user").
enum class RegistrationScope { Machine, User };

HRESULT registerServer(RegistrationScope scope = RegistrationScope::Machine);
HRESULT unregisterServer(RegistrationScope scope = RegistrationScope::Machine);

// DllInstall's command line: "user" (any case, blanks ignored)
// for the current user, empty for machine-wide; false for anything else.
bool installScope(const wchar_t* commandLine, RegistrationScope& scope);

}  // namespace frame
