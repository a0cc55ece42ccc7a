#include "keldrun/tests/shell_support.h"

#include <tlhelp32.h>

#include <thread>

#include "common/com.h"
#include "keldrun/tests/wine_support.h"

namespace keldrun::testing {
namespace {

std::u16string folderOf(const std::u16string& path) { return path.substr(0, path.find_last_of(u'\\')); }

std::vector<std::u16string> lines(const std::u16string& text) {
    std::vector<std::u16string> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        result.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

std::optional<std::u16string> readValue(HKEY key, const std::u16string& name) {
    DWORD type = 0, size = 0;
    const wchar_t* valueName = name.empty() ? nullptr : frame::wide(name);
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    std::u16string value(size / 2 + 1, u'\0');
    RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size);
    value.resize(size / 2);
    while (!value.empty() && value.back() == u'\0') value.pop_back();
    return value;
}

void writeValue(HKEY key, const std::u16string& name, const std::u16string& value) {
    RegSetValueExW(key, name.empty() ? nullptr : frame::wide(name), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>((value.size() + 1) * 2));
}

}  // namespace

std::u16string childProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return folderOf(reinterpret_cast<const char16_t*>(self)) + u"\\shell_child.exe";
}

std::u16string inQuotes(const std::u16string& text) { return u"\"" + text + u"\""; }

std::optional<ChildRecord> waitForRecord(const std::u16string& path, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (GetFileAttributesW(frame::wide(path)) == INVALID_FILE_ATTRIBUTES) {
        if (std::chrono::steady_clock::now() > until) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::vector<unsigned char> bytes = fileBytes(path);
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    const std::vector<std::u16string> parts = lines(text);
    if (parts.size() < 4) return std::nullopt;
    ChildRecord record{parts[0], parts[1], parts[2], 0};
    for (char16_t c : parts[3]) record.processId = record.processId * 10 + (c - u'0');
    return record;
}

ClassesKey::ClassesKey(std::u16string path, std::vector<std::pair<std::u16string, std::u16string>> values)
    : path_(std::move(path)) {
    // Remember the outermost key that does not exist yet: deleting it undoes the creation.
    for (size_t end = path_.find(u'\\'); createdRoot_.empty(); end = path_.find(u'\\', end + 1)) {
        const std::u16string prefix = path_.substr(0, end);
        frame::UniqueHkey probe;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, frame::wide(prefix), 0, KEY_READ, probe.put()) != ERROR_SUCCESS)
            createdRoot_ = prefix;
        if (end == std::u16string::npos) break;
    }
    frame::UniqueHkey key;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, frame::wide(path_), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    for (const auto& [name, value] : values) {
        saved_.push_back({name, readValue(key.get(), name)});
        writeValue(key.get(), name, value);
    }
}

ClassesKey::~ClassesKey() {
    if (!createdRoot_.empty()) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, frame::wide(createdRoot_));
        return;
    }
    frame::UniqueHkey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, frame::wide(path_), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
    for (const Saved& s : saved_) {
        if (s.value) writeValue(key.get(), s.name, *s.value);
        else RegDeleteValueW(key.get(), s.name.empty() ? nullptr : frame::wide(s.name));
    }
}

std::u16string shellCommand(const std::u16string& classKey, const std::u16string& verb) {
    frame::UniqueHkey key;
    const std::u16string path = classKey + u"\\shell\\" + verb + u"\\command";
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, frame::wide(path), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
    return readValue(key.get(), u"").value_or(u"");
}

std::vector<DWORD> descendantProcesses() {
    std::vector<std::pair<DWORD, DWORD>> all;  // process, parent
    frame::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return {};
    }
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        all.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    std::vector<DWORD> found{GetCurrentProcessId()};
    for (size_t i = 0; i < found.size(); ++i)
        for (const auto& [process, parent] : all)
            if (parent == found[i] && process != found[i]) found.push_back(process);
    found.erase(found.begin());
    return found;
}

void endDescendants() {
    for (DWORD id : descendantProcesses()) {
        frame::UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process) continue;
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
}

int handlesToProcess(DWORD processId) {
    int count = 0;
    // Handle values are multiples of four; a test program holds far fewer than this.
    for (UINT_PTR value = 4; value < 0x10000; value += 4)
        if (GetProcessId(reinterpret_cast<HANDLE>(value)) == processId) ++count;
    return count;
}

bool processRunning(DWORD processId) {
    frame::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace keldrun::testing
