#include "lanthor/tooltips/window_subclasser.h"

#include <atomic>
#include <cstring>
#include <new>

#include "lanthor/tooltips/subclass_dispatch.h"
#include "lanthor/tooltips/thunk_x64.h"
#include "lanthor/tooltips/thunk_x86.h"

namespace lanthor {

namespace {

FARPROC user32Entry(const char* name) { return GetProcAddress(GetModuleHandleA("user32"), name); }

SubclassCallback callbackOf(void* object) {
    return reinterpret_cast<SubclassCallback>((*static_cast<void***>(object))[7]);
}

std::atomic<long> g_liveBlocks{0};

// Flushes the thread's graveyard from its message loop: a timer message is
// dispatched outside every block unless a block's call is still open (a
// modal loop in a window procedure, say; the timer then waits for the next
// round).
thread_local UINT_PTR t_flushTimer = 0;
constexpr UINT kFlushInterval = 50;  // ms

void CALLBACK flushOnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (BlockGraveyard::thisThread().flush() && t_flushTimer) {
        KillTimer(nullptr, t_flushTimer);
        t_flushTimer = 0;
    }
}

#ifdef _WIN64
struct Block64 {
    thunk_x64::Code code;
    thunk_x64::Context context;
};
constexpr SIZE_T kBlockSize = sizeof(Block64);

// One message through a 64-bit block, framed as a whole (see BlockGraveyard).
LRESULT dispatchFramed(BlockGraveyard& graveyard, thunk_x64::Context* c, UINT uMsg, WPARAM wParam,
                       LPARAM lParam) {
    BlockGraveyard::Frame frame(graveyard);
    struct Args {
        HWND hWnd;
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    } args{reinterpret_cast<HWND>(c->hWnd), uMsg, wParam, lParam};
    auto previous = [c](Args& a) {
        return CallWindowProcA(reinterpret_cast<WNDPROC>(c->previousProc), a.hWnd, a.uMsg, a.wParam,
                               a.lParam);
    };
    auto callback = [c](bool bBefore, bool& bHandled, LRESULT& lReturn, Args& a) {
        // The callback sees 32-bit Longs; only what it changes is written back,
        // so untouched 64-bit values pass on whole.
        VARIANT_BOOL handled = bHandled ? VARIANT_TRUE : VARIANT_FALSE;
        LONG r = static_cast<LONG>(lReturn), h = static_cast<LONG>(reinterpret_cast<LONG_PTR>(a.hWnd));
        LONG m = static_cast<LONG>(a.uMsg), w = static_cast<LONG>(a.wParam), l = static_cast<LONG>(a.lParam);
        const LONG r0 = r, h0 = h, w0 = w, l0 = l;
        callbackOf(c->object)(c->object, bBefore ? VARIANT_TRUE : VARIANT_FALSE, &handled, &r, &h, &m, &w, &l);
        bHandled = handled != 0;
        if (r != r0) lReturn = r;
        if (h != h0) a.hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(h));
        a.uMsg = static_cast<UINT>(m);
        if (w != w0) a.wParam = static_cast<WPARAM>(static_cast<LONG_PTR>(w));
        if (l != l0) a.lParam = l;
    };
    return runSubclassed<LRESULT>(c->before, c->after, args, previous, callback);
}

// Every 64-bit block jumps here with its context in place of the window
// handle. It jumped rather than called, so once the message is done nothing
// returns into it, and the graveyard can be flushed at once.
LRESULT CALLBACK dispatch64(HWND contextArg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    BlockGraveyard& graveyard = BlockGraveyard::thisThread();
    const LRESULT result =
        dispatchFramed(graveyard, reinterpret_cast<thunk_x64::Context*>(contextArg), uMsg, wParam, lParam);
    graveyard.flush();
    return result;
}

// The 64-bit dispatcher frames the whole message itself; no gate is needed.
void* const* const kGateTable = nullptr;
#else
constexpr SIZE_T kBlockSize = thunk_x86::kSize;

// The two ways out of a 32-bit block's own code, each framed: its previous-
// procedure call (aimed here instead of at CallWindowProcA, with the same
// arguments) and its callback (through the gate).
LRESULT WINAPI callPreviousFramed(WNDPROC previous, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    BlockGraveyard::Frame frame;
    return CallWindowProcA(previous, hWnd, uMsg, wParam, lParam);
}

HRESULT STDMETHODCALLTYPE callbackFramed(void* gate, VARIANT_BOOL bBefore, VARIANT_BOOL* bHandled, LONG* lReturn,
                                         LONG* hWnd, LONG* uMsg, LONG* wParam, LONG* lParam) {
    BlockGraveyard::Frame frame;
    void* object = static_cast<CallbackGate*>(gate)->object;
    return callbackOf(object)(object, bBefore, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
}

void* const kGateTable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             reinterpret_cast<void*>(&callbackFramed)};
#endif

// Filled with breakpoints first, so that code still running a freed block
// stops at once instead of going on in stale bytes.
void freeExecutableBlock(Address block) {
    std::memset(reinterpret_cast<void*>(block), 0xCC, kBlockSize);
    GlobalFree(reinterpret_cast<HGLOBAL>(block));
    --g_liveBlocks;
}

}  // namespace

struct WindowSubclasser::Template {
    thunk_x86::Block bytes;
    std::uint32_t callPrevious = 0;
    std::uint32_t setWindowLong = 0;
};

WindowSubclasser::WindowSubclasser(void* object) : object_(object), gate_{kGateTable, object} {}

WindowSubclasser::~WindowSubclasser() { table_.stopAll(); }

long WindowSubclasser::liveBlocks() { return g_liveBlocks; }

bool WindowSubclasser::isWindow(Address hWnd) { return IsWindow(reinterpret_cast<HWND>(hWnd)) != FALSE; }

bool WindowSubclasser::isOwnWindow(Address hWnd) {
    return isWindow(hWnd) &&
           GetWindowThreadProcessId(reinterpret_cast<HWND>(hWnd), nullptr) == GetCurrentThreadId();
}

Address WindowSubclasser::newBlock() {
    if (!template_) {
        template_ = std::make_unique<Template>();
        template_->bytes = thunk_x86::decodeTemplate();
        thunk_x86::patchObject(template_->bytes, static_cast<std::uint32_t>(reinterpret_cast<Address>(&gate_)));
#ifndef _WIN64
        template_->callPrevious = static_cast<std::uint32_t>(reinterpret_cast<Address>(&callPreviousFramed));
#endif
        template_->setWindowLong = static_cast<std::uint32_t>(reinterpret_cast<Address>(user32Entry("SetWindowLongA")));
    }
    void* block = GlobalAlloc(GMEM_FIXED, kBlockSize);
    if (!block) return 0;
    DWORD old = 0;
    if (!VirtualProtect(block, kBlockSize, PAGE_EXECUTE_READWRITE, &old)) {
        GlobalFree(block);
        return 0;
    }
#ifdef _WIN64
    auto* b = new (block) Block64{};
    b->context.object = object_;
    b->code = thunk_x64::build(reinterpret_cast<std::uint64_t>(&b->context),
                               reinterpret_cast<std::uint64_t>(&dispatch64));
#else
    std::memcpy(block, template_->bytes.data(), thunk_x86::kSize);
#endif
    FlushInstructionCache(GetCurrentProcess(), block, kBlockSize);
    ++g_liveBlocks;
    return reinterpret_cast<Address>(block);
}

BlockRelease WindowSubclasser::blockRelease() { return &freeExecutableBlock; }

// Pinned for the life of the process: a block that outlives its object still
// calls into this module, and so may the flush timer.
void WindowSubclasser::keepCodeLoaded() {
    static const bool pinned = [] {
        HMODULE self = nullptr;
        return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                  reinterpret_cast<LPCSTR>(&flushOnTimer), &self) != FALSE;
    }();
    (void)pinned;
}

void WindowSubclasser::flushLater() {
    if (!t_flushTimer) t_flushTimer = SetTimer(nullptr, 0, kFlushInterval, flushOnTimer);
}

Address WindowSubclasser::windowProc(Address hWnd) {
    return static_cast<Address>(GetWindowLongPtrA(reinterpret_cast<HWND>(hWnd), GWLP_WNDPROC));
}

Address WindowSubclasser::setWindowProc(Address hWnd, Address proc) {
    return static_cast<Address>(
        SetWindowLongPtrA(reinterpret_cast<HWND>(hWnd), GWLP_WNDPROC, static_cast<LONG_PTR>(proc)));
}

void WindowSubclasser::patchPrevious(Address block, [[maybe_unused]] Address hWnd, Address previous) {
#ifdef _WIN64
    auto* b = reinterpret_cast<Block64*>(block);
    b->context.hWnd = hWnd;
    b->context.previousProc = previous;
#else
    thunk_x86::patchPrevious(reinterpret_cast<std::uint8_t*>(block), static_cast<std::uint32_t>(block),
                             static_cast<std::uint32_t>(previous), template_->setWindowLong,
                             template_->callPrevious);
#endif
}

void WindowSubclasser::patchTable(Address block, bool before, const std::int32_t* firstSlot) {
#ifdef _WIN64
    auto& c = reinterpret_cast<Block64*>(block)->context;
    (before ? c.before : c.after).table = firstSlot;
#else
    thunk_x86::patchTable(reinterpret_cast<std::uint8_t*>(block), before,
                          static_cast<std::uint32_t>(reinterpret_cast<Address>(firstSlot)));
#endif
}

void WindowSubclasser::patchCount(Address block, bool before, std::int32_t count) {
#ifdef _WIN64
    auto& c = reinterpret_cast<Block64*>(block)->context;
    (before ? c.before : c.after).count = count;
#else
    thunk_x86::patchCount(reinterpret_cast<std::uint8_t*>(block), before, count);
#endif
}

}  // namespace lanthor
