#pragma once
#include <windows.h>

#include <string>

#include "common/frame.h"

namespace frame {

std::u16string progId(const ClassEntry& entry);
HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace frame
