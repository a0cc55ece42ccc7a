#pragma once
// Support for the shell tests: the program they launch, what it recorded,
// handlers registered for the test's document type and URL schemes, and the
// processes the tests started.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace keldrun::testing {

// shell_child.exe beside the test program.
std::u16string childProgram();
std::u16string inQuotes(const std::u16string& text);

// What shell_child.exe wrote about its start.
struct ChildRecord {
    std::u16string commandLine;
    std::u16string showWindow;  // STARTUPINFO.wShowWindow in decimal, or "none"
    std::u16string folder;      // its current folder
    DWORD processId = 0;
};
// Waits for the record file to appear and reads it.
std::optional<ChildRecord> waitForRecord(const std::u16string& path,
                                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A key under HKEY_CLASSES_ROOT with its default and named string values,
// created for the life of the object. A key that existed before keeps its
// values: they are put back when the object goes.
class ClassesKey {
public:
    ClassesKey(std::u16string path, std::vector<std::pair<std::u16string, std::u16string>> values);
    ~ClassesKey();
    ClassesKey(const ClassesKey&) = delete;
    ClassesKey& operator=(const ClassesKey&) = delete;

private:
    struct Saved {
        std::u16string name;
        std::optional<std::u16string> value;
    };
    std::u16string path_;
    std::u16string createdRoot_;  // the first key this object created, deleted with its subkeys
    std::vector<Saved> saved_;
};

// The command line the shell runs for a verb of a class, as the registry gives it.
std::u16string shellCommand(const std::u16string& classKey, const std::u16string& verb);

// Processes started by this one, and by those in turn.
std::vector<DWORD> descendantProcesses();
// Ends every process this test program started.
void endDescendants();
// How many handles of this process refer to the process with this id.
int handlesToProcess(DWORD processId);
bool processRunning(DWORD processId);

}  // namespace keldrun::testing
