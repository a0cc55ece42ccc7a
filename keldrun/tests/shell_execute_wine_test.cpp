// CShellExecute through the real shell: handlers registered for a document
// type of the tests, a URL scheme of the tests and "mailto" run
// shell_child.exe, which records how it was started.
#include "keldrun/tests/wine_support.h"

#include <shellapi.h>

#include <optional>
#include <thread>

#include "common/text.h"
#include "keldrun/tests/shell_support.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::invokeByName;
using frame::Variant;
using frame::testing::MessageBoxCapture;
using namespace keldrun::testing;

namespace {

const std::u16string kArch = sizeof(void*) == 8 ? u"x64" : u"x86";
const std::u16string kExtension = u".keldrun-shell-" + kArch;
const std::u16string kProgId = u"KeldrunShellTest." + kArch;
const std::u16string kScheme = u"keldrun-shell-" + kArch;

// A by-reference String argument for one early-bound call.
class Text {
public:
    explicit Text(std::u16string_view text) : value_(text), raw_(value_.get()) {}
    BSTR* ref() { return &raw_; }

private:
    Bstr value_;
    BSTR raw_;
};

using SimpleMember = HRESULT (STDMETHODCALLTYPE _CShellExecute::*)(long*, BSTR*, EnumShellExecuteShowStyles*,
                                                                    EnumShellExecuteErrors*);

// Early-bound calls; an absent window state goes as a null pointer.
class Shell {
public:
    Shell() : object_(create<_CShellExecute>(__uuidof(CShellExecute))) {}
    _CShellExecute* get() const { return object_.get(); }
    void release() { object_.reset(); }

    int32_t simple(SimpleMember which, std::u16string_view target, std::optional<int32_t> show = {},
                   long window = 0) {
        Text text(target);
        EnumShellExecuteShowStyles style = static_cast<EnumShellExecuteShowStyles>(show.value_or(0));
        EnumShellExecuteErrors result = seeSE_ERR_SHARE;
        EXPECT_EQ((object_.get()->*which)(&window, text.ref(), show ? &style : nullptr, &result), S_OK);
        return result;
    }
    int32_t print(std::u16string_view document, long window = 0) {
        Text text(document);
        EnumShellExecuteErrors result = seeSE_ERR_SHARE;
        EXPECT_EQ(object_->PrintDocument(&window, text.ref(), &result), S_OK);
        return result;
    }
    int32_t program(std::u16string_view program, std::u16string_view parameters = u"",
                    std::u16string_view folder = u"", std::optional<int32_t> show = {}, long window = 0) {
        Text file(program), params(parameters), startIn(folder);
        EnumShellExecuteShowStyles style = static_cast<EnumShellExecuteShowStyles>(show.value_or(0));
        EnumShellExecuteErrors result = seeSE_ERR_SHARE;
        EXPECT_EQ(object_->LaunchProgram(&window, file.ref(), params.ref(), startIn.ref(), show ? &style : nullptr,
                                         &result),
                  S_OK);
        return result;
    }
    int32_t document(std::u16string_view document, std::u16string_view folder = u"",
                     std::optional<int32_t> show = {}, long window = 0) {
        Text file(document), startIn(folder);
        EnumShellExecuteShowStyles style = static_cast<EnumShellExecuteShowStyles>(show.value_or(0));
        EnumShellExecuteErrors result = seeSE_ERR_SHARE;
        EXPECT_EQ(object_->LaunchDocument(&window, file.ref(), startIn.ref(), show ? &style : nullptr, &result), S_OK);
        return result;
    }
    bool stillExecuting() {
        VARIANT_BOOL still = 1;
        EXPECT_EQ(object_->get_StillExecuting(&still), S_OK);
        EXPECT_TRUE(still == VARIANT_TRUE || still == VARIANT_FALSE);
        return still == VARIANT_TRUE;
    }

private:
    ComPtr<_CShellExecute> object_;
};

bool contains(const std::u16string& text, const std::u16string& part) { return text.find(part) != std::u16string::npos; }

std::string show(const std::u16string& text) { return frame::testing::narrow(text); }

class ShellExecuteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new std::u16string(tempFolder() + u"\\shell");
        CreateDirectoryW(frame::wide(*folder_), nullptr);
        document_ = new std::u16string(*folder_ + u"\\document" + kExtension);
        writeBytes(*document_, "text");
        const auto handler = [](const std::u16string& name) {
            return inQuotes(childProgram()) + u" " + inQuotes(recordFile(name)) + u" record \"%1\"";
        };
        keys_ = new std::vector<std::unique_ptr<ClassesKey>>;
        const auto add = [](std::u16string path, std::vector<std::pair<std::u16string, std::u16string>> values) {
            keys_->push_back(std::make_unique<ClassesKey>(std::move(path), std::move(values)));
        };
        add(kExtension, {{u"", kProgId}});
        for (const char16_t* verb : {u"open", u"print", u"explore"})
            add(kProgId + u"\\shell\\" + verb + u"\\command", {{u"", handler(verb)}});
        add(kScheme, {{u"", u"URL:Keldrun shell test"}, {u"URL Protocol", u""}});
        add(kScheme + u"\\shell\\open\\command", {{u"", handler(u"url")}});
        add(u"mailto\\shell\\open\\command", {{u"", handler(u"mailto")}});
    }
    static void TearDownTestSuite() {
        delete keys_;
        DeleteFileW(frame::wide(*document_));
        delete document_;
        delete folder_;
    }
    void TearDown() override { endDescendants(); }

    // The file a handler or launched program writes its record to; removed first.
    static std::u16string recordFile(const std::u16string& name) { return *folder_ + u"\\" + name + u".txt"; }
    static std::u16string freshRecord(const std::u16string& name) {
        const std::u16string path = recordFile(name);
        DeleteFileW(frame::wide(path));
        return path;
    }
    static std::optional<ChildRecord> record(const std::u16string& name) { return waitForRecord(recordFile(name)); }
    // Parameters that make shell_child.exe record into the named file and then act.
    static std::u16string childArguments(const std::u16string& name, const std::u16string& action) {
        return inQuotes(freshRecord(name)) + u" " + action;
    }

    static std::u16string* folder_;
    static std::u16string* document_;
    static std::vector<std::unique_ptr<ClassesKey>>* keys_;
    MessageBoxCapture boxes_;
};

std::u16string* ShellExecuteTest::folder_ = nullptr;
std::u16string* ShellExecuteTest::document_ = nullptr;
std::vector<std::unique_ptr<ClassesKey>>* ShellExecuteTest::keys_ = nullptr;

TEST_F(ShellExecuteTest, SimpleLaunchersHandTheirVerbFileAndWindowStateToTheShell) {
    ASSERT_TRUE(contains(shellCommand(u"mailto", u"open"), u"shell_child.exe"));  // never the real mail handler
    const std::u16string url = kScheme + u":some/path?q=1";
    const struct {
        const char* name;
        SimpleMember member;  // null: PrintDocument
        std::u16string target;
        int32_t style;
        const char16_t* handler;
        std::u16string received;
        const char16_t* shown;
    } cases[] = {
        {"Explore", &_CShellExecute::Explore, *document_, 3, u"explore", *document_, u"3"},
        {"LaunchFolder", &_CShellExecute::LaunchFolder, *document_, 7, u"open", *document_, u"7"},
        {"LaunchURL", &_CShellExecute::LaunchURL, url, 2, u"url", url, u"2"},
        {"LaunchEmail", &_CShellExecute::LaunchEmail, u"someone@example.com", 1, u"mailto",
         u"mailto:someone@example.com", u"1"},
        {"PrintDocument", nullptr, *document_, 5, u"print", *document_, u"0"},  // always hidden
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Shell shell;
        freshRecord(c.handler);
        EXPECT_EQ(c.member ? shell.simple(c.member, c.target, c.style) : shell.print(c.target), seeNoError);
        const auto seen = record(c.handler);
        ASSERT_TRUE(seen);
        EXPECT_TRUE(contains(seen->commandLine, inQuotes(c.received))) << show(seen->commandLine);
        EXPECT_EQ(seen->showWindow, c.shown);
        EXPECT_FALSE(shell.stillExecuting());
    }
    EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ShellExecuteTest, LaunchProgramAndLaunchDocumentPassParametersFolderAndWindowState) {
    Shell shell;
    const std::u16string parameters = childArguments(u"program", u"record alpha \"two words\"");
    EXPECT_EQ(shell.program(childProgram(), parameters, *folder_, 4), seeNoError);
    auto seen = record(u"program");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->commandLine, inQuotes(childProgram()) + u" " + parameters);
    EXPECT_EQ(seen->showWindow, u"4");
    EXPECT_EQ(seen->folder, *folder_);

    freshRecord(u"open");
    EXPECT_EQ(shell.document(*document_, *folder_, 6), seeNoError);
    seen = record(u"open");
    ASSERT_TRUE(seen);
    EXPECT_TRUE(contains(seen->commandLine, inQuotes(*document_))) << show(seen->commandLine);
    EXPECT_EQ(seen->showWindow, u"6");
    EXPECT_EQ(seen->folder, *folder_);
    EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ShellExecuteTest, OmittedWindowStateIsShowDefault) {
    Shell shell;
    // Early-bound: a null pointer for the optional argument.
    EXPECT_EQ(shell.program(childProgram(), childArguments(u"early", u"record")), seeNoError);
    auto seen = record(u"early");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->showWindow, u"10");

    // Late-bound: the arguments left out altogether, as a script leaves them.
    const auto outcome = invokeByName(shell.get(), u"LaunchProgram", DISPATCH_METHOD,
                                      {Argument(0), Argument(childProgram().c_str())});
    // No parameters: the child has no record file and ends at once; its start is what counts.
    ASSERT_EQ(outcome.hr, S_OK);
    EXPECT_EQ(V_I4(&outcome.result.get()), seeNoError);
    freshRecord(u"url");
    const std::u16string url = kScheme + u":late";
    const auto urlOutcome = invokeByName(shell.get(), u"LaunchURL", DISPATCH_METHOD, {Argument(0), Argument(url.c_str())});
    ASSERT_EQ(urlOutcome.hr, S_OK);
    EXPECT_EQ(V_I4(&urlOutcome.result.get()), seeNoError);
    seen = record(u"url");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->showWindow, u"10");

    // Late-bound with every argument, by reference as a script passes variables.
    Variant window(0), program(childProgram().c_str()), parameters(childArguments(u"late", u"record").c_str()),
        startIn(folder_->c_str()), style(9);
    const auto full = invokeByName(shell.get(), u"LaunchProgram", DISPATCH_METHOD,
                                   {Argument::byRef(window), Argument::byRef(program), Argument::byRef(parameters),
                                    Argument::byRef(startIn), Argument::byRef(style)});
    ASSERT_EQ(full.hr, S_OK);
    EXPECT_EQ(V_I4(&full.result.get()), seeNoError);
    seen = record(u"late");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->showWindow, u"9");
    EXPECT_EQ(seen->folder, *folder_);
    EXPECT_EQ(V_VT(&style.get()), VT_I4);  // the caller's variables are left as they were
    EXPECT_EQ(V_I4(&style.get()), 9);
}

TEST_F(ShellExecuteTest, StillExecutingFollowsTheLaunchedProgram) {
    Shell shell;
    EXPECT_FALSE(shell.stillExecuting());
    ASSERT_EQ(shell.program(childProgram(), childArguments(u"sleeper", u"sleep 3000"), u"", 0), seeNoError);
    EXPECT_TRUE(shell.stillExecuting());
    auto seen = record(u"sleeper");
    ASSERT_TRUE(seen);
    {
        frame::UniqueKernelHandle watch(OpenProcess(SYNCHRONIZE, FALSE, seen->processId));
        ASSERT_TRUE(watch);
        EXPECT_TRUE(shell.stillExecuting());
        ASSERT_EQ(WaitForSingleObject(watch.get(), 20000), WAIT_OBJECT_0);
    }
    EXPECT_FALSE(shell.stillExecuting());

    // A program that ends with STILL_ACTIVE as its exit code looks alive.
    ASSERT_EQ(shell.program(childProgram(), childArguments(u"exit259", u"exit 259"), u"", 0), seeNoError);
    seen = record(u"exit259");
    ASSERT_TRUE(seen);
    {
        frame::UniqueKernelHandle watch(OpenProcess(SYNCHRONIZE, FALSE, seen->processId));
        ASSERT_TRUE(watch);
        ASSERT_EQ(WaitForSingleObject(watch.get(), 20000), WAIT_OBJECT_0);
    }
    EXPECT_TRUE(shell.stillExecuting());

    // Any simple launcher forgets the program, which goes on running.
    ASSERT_EQ(shell.program(childProgram(), childArguments(u"sleeper", u"sleep 20000"), u"", 0), seeNoError);
    seen = record(u"sleeper");
    ASSERT_TRUE(seen);
    EXPECT_TRUE(shell.stillExecuting());
    freshRecord(u"explore");
    EXPECT_EQ(shell.simple(&_CShellExecute::Explore, *document_, 0), seeNoError);
    EXPECT_FALSE(shell.stillExecuting());
    EXPECT_TRUE(processRunning(seen->processId));
}

TEST_F(ShellExecuteTest, KeptProcessHandleIsClosedWhenReplacedAndWhenReleased) {
    Shell shell;
    const auto launchSleeper = [&](const std::u16string& name) {
        EXPECT_EQ(shell.program(childProgram(), childArguments(name, u"sleep 20000"), u"", 0), seeNoError);
        const auto seen = record(name);
        return seen ? seen->processId : 0;
    };
    const DWORD first = launchSleeper(u"first");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(handlesToProcess(first), 1);
    const DWORD second = launchSleeper(u"second");
    ASSERT_NE(second, 0u);
    EXPECT_EQ(handlesToProcess(first), 0);
    EXPECT_EQ(handlesToProcess(second), 1);

    // A failed launch and a simple launcher drop the handle too.
    EXPECT_EQ(shell.program(*folder_ + u"\\missing.exe"), seeERROR_FILE_NOT_FOUND);
    EXPECT_EQ(handlesToProcess(second), 0);
    const DWORD third = launchSleeper(u"third");
    ASSERT_NE(third, 0u);
    freshRecord(u"url");
    EXPECT_EQ(shell.simple(&_CShellExecute::LaunchURL, kScheme + u":x"), seeNoError);
    EXPECT_EQ(handlesToProcess(third), 0);

    const DWORD fourth = launchSleeper(u"fourth");
    ASSERT_NE(fourth, 0u);
    EXPECT_EQ(handlesToProcess(fourth), 1);
    shell.release();
    EXPECT_EQ(handlesToProcess(fourth), 0);
    for (DWORD id : {first, second, third, fourth}) EXPECT_TRUE(processRunning(id));
}

TEST_F(ShellExecuteTest, EnvironmentReferencesInProgramAndFolderAreExpanded) {
    const std::u16string child = childProgram();
    SetEnvironmentVariableW(L"KELDRUN_CHILD_FOLDER", frame::wide(child.substr(0, child.find_last_of(u'\\'))));
    SetEnvironmentVariableW(L"KELDRUN_START_FOLDER", frame::wide(*folder_));
    Shell shell;
    EXPECT_EQ(shell.program(u"%KELDRUN_CHILD_FOLDER%\\shell_child.exe", childArguments(u"expanded", u"record"),
                            u"%KELDRUN_START_FOLDER%", 1),
              seeNoError);
    const auto seen = record(u"expanded");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->folder, *folder_);
    EXPECT_TRUE(contains(seen->commandLine, child)) << show(seen->commandLine);
}

TEST_F(ShellExecuteTest, FailuresAreResultsAndShowNothingOfTheirOwn) {
    Shell shell;
    EXPECT_EQ(shell.document(*folder_ + u"\\no such document" + kExtension), seeERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(shell.stillExecuting());
    EXPECT_EQ(shell.program(*folder_ + u"\\no such program.exe"), seeERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(shell.stillExecuting());
    EXPECT_EQ(shell.simple(&_CShellExecute::LaunchURL, u"keldrun-nobody-handles-this:x"), seeSE_ERR_NOASSOC);
    // The record's launches leave the shell's own message on; the member shows nothing more.
    ASSERT_EQ(boxes_.boxes().size(), 2u);
    for (const auto& box : boxes_.boxes()) EXPECT_EQ(box.caption, u"Error") << show(box.text);
}

}  // namespace
