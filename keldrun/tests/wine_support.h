#pragma once
// Keldrun's own support for its Wine tests: objects straight from the DLL
// beside the test program, and the folders and files the security tests use.
// The test entry, COM and message-box capture come from common/testing.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/testing/harness.h"
#include "keldrun_h.h"

namespace keldrun::testing {

template <class I>
frame::ComPtr<I> create(REFCLSID clsid) {
    return frame::testing::createFromDll<I>(L"Keldrun.dll", clsid);
}

// The real system folder for this process (Sysnative under WOW64).
std::u16string nativeSystemFolder();
std::u16string tempFolder();
std::vector<unsigned char> fileBytes(const std::u16string& path);
void writeBytes(const std::u16string& path, const std::string& bytes);

}  // namespace keldrun::testing
