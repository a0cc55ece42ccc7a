// CShellExecute through the real shell: handlers registered for a document
// type of the tests, a URL scheme of the tests and "mailto" run
// shell_child.exe, which records how it was started.
#include "keldrun/tests/wine_support.h"

#include <shellapi.h>

#include <optional>

#include "common/text.h"
#include "keldrun/files/shell_launch.h"
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

std::string printable(const std::u16string& text) { return frame::testing::narrow(text); }

// The same launches through the ANSI entry points, as the text crossed the boundary before.
intptr_t ansiProcessLaunch(const std::u16string& file, const std::u16string& parameters, const std::u16string& folder,
                           int show) {
    const std::string f = frame::toAnsi(file), p = frame::toAnsi(parameters), d = frame::toAnsi(folder);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST;
    info.lpVerb = "Open";
    info.lpFile = f.c_str();
    info.lpParameters = p.c_str();
    info.lpDirectory = d.c_str();
    info.nShow = show;
    ShellExecuteExA(&info);
    frame::UniqueKernelHandle process(info.hProcess);
    return reinterpret_cast<intptr_t>(info.hInstApp);
}

intptr_t ansiSimpleLaunch(const char* verb, const std::u16string& file, int show) {
    return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, verb, frame::toAnsi(file).c_str(), nullptr, nullptr, show));
}

bool inAnsiCodePage(std::u16string_view text) {
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(text.data()),
                        static_cast<int>(text.size()), nullptr, 0, nullptr, &lost);
    return !lost;
}

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

    // A folder of this name holding a copy of shell_child.exe and a document, both of the same name.
    struct Named {
        std::u16string folder, program, document;
    };
    static Named namedCopies(const std::u16string& name) {
        Named n{*folder_ + u"\\" + name, {}, {}};
        n.program = n.folder + u"\\" + name + u".exe";
        n.document = n.folder + u"\\" + name + kExtension;
        CreateDirectoryW(frame::wide(n.folder), nullptr);
        CopyFileW(frame::wide(childProgram()), frame::wide(n.program), FALSE);
        writeBytes(n.document, "text");
        return n;
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
        EXPECT_TRUE(contains(seen->commandLine, inQuotes(c.received))) << printable(seen->commandLine);
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
    EXPECT_TRUE(contains(seen->commandLine, inQuotes(*document_))) << printable(seen->commandLine);
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
    EXPECT_TRUE(contains(seen->commandLine, child)) << printable(seen->commandLine);
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
    for (const auto& box : boxes_.boxes()) EXPECT_EQ(box.caption, u"Error") << printable(box.text);
}

TEST_F(ShellExecuteTest, NamesOutsideTheAnsiCodePageReachTheShellWithTheirTrueNames) {
    const std::u16string name = u"\u03A9\u03BC\u03AD\u03B3\u03B1 \u043A\u043E\u0442 \u9375";  // Greek, Cyrillic, CJK
    ASSERT_FALSE(inAnsiCodePage(name));
    const Named named = namedCopies(name);
    Shell shell;
    const std::u16string parameters = childArguments(u"odd", u"record " + name);
    EXPECT_EQ(shell.program(named.program, parameters, named.folder, 1), seeNoError);
    auto seen = record(u"odd");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->commandLine, inQuotes(named.program) + u" " + parameters);
    EXPECT_EQ(seen->folder, named.folder);

    freshRecord(u"open");
    EXPECT_EQ(shell.document(named.document, named.folder, 1), seeNoError);
    seen = record(u"open");
    ASSERT_TRUE(seen);
    EXPECT_TRUE(contains(seen->commandLine, inQuotes(named.document)));
    EXPECT_EQ(seen->folder, named.folder);

    const struct {
        SimpleMember member;  // null: PrintDocument
        std::u16string target, handler, received;
    } cases[] = {
        {&_CShellExecute::Explore, named.document, u"explore", named.document},
        {&_CShellExecute::LaunchFolder, named.document, u"open", named.document},
        {nullptr, named.document, u"print", named.document},
        {&_CShellExecute::LaunchEmail, name + u"@example.com", u"mailto", u"mailto:" + name + u"@example.com"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(printable(c.handler));
        freshRecord(c.handler);
        EXPECT_EQ(c.member ? shell.simple(c.member, c.target, 1) : shell.print(c.target), seeNoError);
        seen = record(c.handler);
        ASSERT_TRUE(seen);
        EXPECT_TRUE(contains(seen->commandLine, inQuotes(c.received)));
    }

    // Through the code page the names turn into question marks and name nothing.
    EXPECT_LE(ansiProcessLaunch(named.program, parameters, named.folder, 1), 32);
    EXPECT_LE(ansiSimpleLaunch("print", named.document, 0), 32);
}

TEST_F(ShellExecuteTest, NamesTheCodePageExpressesGiveWhatTheAnsiEntryPointsGive) {
    std::u16string name = u"Caf";
    for (char16_t c : std::u16string_view(u"\u00E9\u00FC\u00F1\u00E5\u00DF\u00F8"))
        if (inAnsiCodePage({&c, 1})) name += c;
    ASSERT_GT(name.size(), 3u) << "the code page expresses none of the accented letters";
    name += u" x";
    const Named named = namedCopies(name);
    Shell shell;
    const std::u16string parameters = childArguments(u"same", u"record " + name);

    EXPECT_EQ(shell.program(named.program, parameters, named.folder, 3), seeNoError);
    const auto wide = record(u"same");
    freshRecord(u"same");
    EXPECT_GT(ansiProcessLaunch(named.program, parameters, named.folder, 3), 32);
    const auto ansi = record(u"same");
    ASSERT_TRUE(wide && ansi);
    EXPECT_EQ(wide->commandLine, ansi->commandLine);
    EXPECT_EQ(wide->showWindow, ansi->showWindow);
    EXPECT_EQ(wide->folder, ansi->folder);

    const struct {
        SimpleMember member;  // null: PrintDocument
        const char* verb;
        std::u16string target, handler;
        int style;
    } cases[] = {
        {&_CShellExecute::Explore, "explore", named.document, u"explore", 2},
        {&_CShellExecute::LaunchFolder, "open", named.document, u"open", 3},
        {nullptr, "print", named.document, u"print", 0},
        {&_CShellExecute::LaunchURL, nullptr, kScheme + u":" + name, u"url", 4},
        {&_CShellExecute::LaunchEmail, nullptr, name + u"@example.com", u"mailto", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(printable(c.handler));
        freshRecord(c.handler);
        EXPECT_EQ(c.member ? shell.simple(c.member, c.target, c.style) : shell.print(c.target), seeNoError);
        const auto wideSeen = record(c.handler);
        freshRecord(c.handler);
        const std::u16string file = c.member == &_CShellExecute::LaunchEmail ? u"mailto:" + c.target : c.target;
        EXPECT_GT(ansiSimpleLaunch(c.verb, file, c.style), 32);
        const auto ansiSeen = record(c.handler);
        ASSERT_TRUE(wideSeen && ansiSeen);
        EXPECT_EQ(wideSeen->commandLine, ansiSeen->commandLine);
        EXPECT_EQ(wideSeen->showWindow, ansiSeen->showWindow);
    }
    // And the same failures.
    const std::u16string missing = named.folder + u"\\missing " + name + kExtension;
    EXPECT_EQ(shell.document(missing), ansiProcessLaunch(missing, u"", u"", 10));
    EXPECT_EQ(shell.simple(&_CShellExecute::LaunchFolder, missing), ansiSimpleLaunch("open", missing, 10));
}

// Each bad input gets the shell's own answer, the one the ANSI entry points
// give too; a text longer than the shell can hold gets "file not found"
// without reaching it.
TEST_F(ShellExecuteTest, BadInputGetsTheShellsAnswerAndNeverACrash) {
    const struct {
        const char* name;
        std::u16string text;
    } inputs[] = {
        {"empty", u""},
        {"wildcard", *folder_ + u"\\*" + kExtension},
        {"trailing backslash", *document_ + u"\\"},
        {"missing drive", u"Q:\\nothing\\file" + kExtension},
        {"NUL", u"NUL"},
        {"CON", u"CON"},
        {"folder for a file", *folder_},
        {"missing", *folder_ + u"\\missing.exe"},
    };
    const struct {
        SimpleMember member;  // null: PrintDocument
        const char* verb;
        const char16_t* prefix;
    } launchers[] = {
        {&_CShellExecute::Explore, "explore", u""},
        {&_CShellExecute::LaunchFolder, "open", u""},
        {&_CShellExecute::LaunchURL, nullptr, u""},
        {&_CShellExecute::LaunchEmail, nullptr, u"mailto:"},
        {nullptr, "print", u""},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        Shell shell;
        for (const auto& l : launchers) {
            SCOPED_TRACE(l.verb ? l.verb : "default verb");
            const int32_t result = l.member ? shell.simple(l.member, input.text, 1) : shell.print(input.text);
            const intptr_t ansi = ansiSimpleLaunch(l.verb, l.prefix + input.text, l.member ? 1 : 0);
            EXPECT_EQ(result, ansi > 32 ? -1 : ansi);
            EXPECT_FALSE(shell.stillExecuting());
        }
        int32_t result = shell.document(input.text, u"", 1);
        EXPECT_EQ(result, keldrun::shellResult(ansiProcessLaunch(input.text, u"", u"", 1)));
        if (result != seeNoError) EXPECT_FALSE(shell.stillExecuting());  // a folder opens in a window of its own
        result = shell.program(input.text, u"", u"", 1);
        EXPECT_EQ(result, keldrun::shellResult(ansiProcessLaunch(input.text, u"", u"", 1)));
        endDescendants();
    }
    for (const auto& box : boxes_.boxes()) EXPECT_EQ(box.caption, u"Error");  // the shell's, never the member's
    boxes_.clear();

    // 1 MiB: the shell is not asked, also when the text only grows that long by its variables.
    const std::u16string huge = u"C:\\" + std::u16string(1 << 20, u'a');
    SetEnvironmentVariableW(L"KELDRUN_LONG", frame::wide(std::u16string(1000, u'b')));
    Shell shell;
    for (const auto& l : launchers) {
        if (l.member) EXPECT_EQ(shell.simple(l.member, huge, 1), seeERROR_FILE_NOT_FOUND);
        else EXPECT_EQ(shell.print(huge), seeERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(shell.document(huge), seeERROR_FILE_NOT_FOUND);
    EXPECT_EQ(shell.program(huge, huge, huge, 1), seeERROR_FILE_NOT_FOUND);
    EXPECT_EQ(shell.program(u"C:\\%KELDRUN_LONG%.exe"), seeERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(shell.stillExecuting());
    // Parameters and folder of any length are the program's business.
    EXPECT_EQ(shell.program(childProgram(), childArguments(u"long", u"record " + std::u16string(20000, u'p')), *folder_),
              seeNoError);
    const auto seen = record(u"long");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->commandLine.size(), inQuotes(childProgram()).size() + 1 + inQuotes(recordFile(u"long")).size() + 20008);
    EXPECT_TRUE(boxes_.boxes().empty());

    // A window handle that names no window: the shell launches all the same.
    freshRecord(u"url");
    EXPECT_EQ(shell.simple(&_CShellExecute::LaunchURL, kScheme + u":w", 1, 0x7FFF1234), seeNoError);
    EXPECT_TRUE(record(u"url"));
    EXPECT_EQ(shell.program(*folder_ + u"\\missing.exe", u"", u"", 1, 0x7FFF1234), seeERROR_FILE_NOT_FOUND);

    // Null is no text: a script's call fails with a type mismatch before the member runs.
    Variant null;
    V_VT(&null.raw()) = VT_NULL;
    const auto outcome = invokeByName(shell.get(), u"LaunchURL", DISPATCH_METHOD, {Argument(0), Argument(null)});
    EXPECT_EQ(outcome.errorNumber, 13);
}

// The type library is the contract: names, identifiers, by-reference
// arguments, optionals with their defaults, the two enumerations.
TEST(ShellExecuteTypeLibrary, MembersAndEnumerationsAsPublished) {
    auto object = create<_CShellExecute>(__uuidof(CShellExecute));
    ASSERT_TRUE(object);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetTypeInfo(0, 0, info.put()), S_OK);
    const struct {
        const char16_t* name;
        DISPID id;
        int parameters;
        int optionalFrom;  // index of the first optional parameter, or -1
    } members[] = {
        {u"StillExecuting", 0x68030000, 0, -1}, {u"Explore", 0x60030001, 3, 2},
        {u"LaunchDocument", 0x60030002, 4, 3},  {u"LaunchEmail", 0x60030003, 3, 2},
        {u"LaunchFolder", 0x60030004, 3, 2},    {u"LaunchProgram", 0x60030005, 5, 2},
        {u"LaunchURL", 0x60030006, 3, 2},       {u"PrintDocument", 0x60030007, 2, -1},
    };
    for (const auto& m : members) {
        SCOPED_TRACE(printable(m.name));
        LPOLESTR name = const_cast<LPOLESTR>(frame::wide(m.name));
        DISPID id = 0;
        ASSERT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, m.id);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        const UINT functions = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        FUNCDESC* function = nullptr;
        for (UINT k = 0; k < functions && !function; ++k) {
            ASSERT_EQ(info->GetFuncDesc(k, &function), S_OK);
            if (function->memid != id) {
                info->ReleaseFuncDesc(function);
                function = nullptr;
            }
        }
        ASSERT_TRUE(function);
        EXPECT_EQ(function->cParams, m.parameters);
        for (int k = 0; k < function->cParams; ++k) {
            const ELEMDESC& param = function->lprgelemdescParam[k];
            EXPECT_EQ(param.tdesc.vt, VT_PTR) << k;  // every argument by reference
            const USHORT flags = param.paramdesc.wParamFlags;
            EXPECT_EQ((flags & PARAMFLAG_FOPT) != 0, m.optionalFrom >= 0 && k >= m.optionalFrom) << k;
            if (k == function->cParams - 1 && m.optionalFrom >= 0) {  // eShowStyle: 10 when omitted
                ASSERT_TRUE(flags & PARAMFLAG_FHASDEFAULT);
                EXPECT_EQ(V_I4(&param.paramdesc.pparamdescex->varDefaultValue), 10);
            }
        }
        info->ReleaseFuncDesc(function);
    }

    ComPtr<ITypeLib> library;
    UINT unused = 0;
    ASSERT_EQ(info->GetContainingTypeLib(library.put(), &unused), S_OK);
    const std::pair<const char16_t*, std::vector<std::pair<std::u16string, int32_t>>> enums[] = {
        {u"EnumShellExecuteErrors",
         {{u"seeNoError", -1}, {u"seeOUT_OF_MEMORY", 0}, {u"seeERROR_FILE_NOT_FOUND", 2},
          {u"seeERROR_PATH_NOT_FOUND", 3}, {u"seeERROR_BAD_FORMAT", 11}, {u"seeSE_ERR_ACCESSDENIED", 5},
          {u"seeSE_ERR_ASSOCINCOMPLETE", 27}, {u"seeSE_ERR_DDEBUSY", 30}, {u"seeSE_ERR_DDEFAIL", 29},
          {u"seeSE_ERR_DDETIMEOUT", 28}, {u"seeSE_ERR_DLLNOTFOUND", 32}, {u"seeSE_ERR_NOASSOC", 31},
          {u"seeSE_ERR_OOM", 8}, {u"seeSE_ERR_SHARE", 26}}},
        {u"EnumShellExecuteShowStyles",
         {{u"sesSW_HIDE", 0}, {u"sesSW_MAXIMIZE", 3}, {u"sesSW_MINIMIZE", 6}, {u"sesSW_RESTORE", 9},
          {u"sesSW_SHOW", 5}, {u"sesSW_SHOWDEFAULT", 10}, {u"sesSW_SHOWMAXIMIZED", 3},
          {u"sesSW_SHOWMINIMIZED", 2}, {u"sesSW_SHOWMINNOACTIVE", 7}, {u"sesSW_SHOWNA", 8},
          {u"sesSW_SHOWNOACTIVATE", 4}, {u"sesSW_SHOWNORMAL", 1}}},
    };
    for (const auto& [enumName, expected] : enums) {
        SCOPED_TRACE(printable(enumName));
        ComPtr<ITypeInfo> found;
        MEMBERID memberId = 0;
        USHORT count = 1;
        std::u16string search = enumName;
        ASSERT_EQ(library->FindName(reinterpret_cast<LPOLESTR>(search.data()), 0, found.put(), &memberId, &count),
                  S_OK);
        ASSERT_EQ(count, 1);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(found->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, TKIND_ENUM);
        ASSERT_EQ(attr->cVars, expected.size());
        found->ReleaseTypeAttr(attr);
        for (UINT k = 0; k < expected.size(); ++k) {
            VARDESC* var = nullptr;
            ASSERT_EQ(found->GetVarDesc(k, &var), S_OK);
            Bstr name;
            UINT names = 0;
            found->GetNames(var->memid, name.put(), 1, &names);
            EXPECT_EQ(name.str(), expected[k].first);
            EXPECT_EQ(V_I4(var->lpvarValue), expected[k].second) << printable(expected[k].first);
            found->ReleaseVarDesc(var);
        }
    }
}

}  // namespace
