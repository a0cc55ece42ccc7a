#include "lanthor/tooltips/window_subclasser.h"

#include <cstring>
#include <new>

#include "lanthor/tooltips/subclass_dispatch.h"
#include "lanthor/tooltips/thunk_x64.h"
#include "lanthor/tooltips/thunk_x86.h"

namespace lanthor {

namespace {

FARPROC user32Entry(const char* name) { return GetProcAddress(GetModuleHandleA("user32"), name); }

#ifdef _WIN64
struct Block64 {
    thunk_x64::Code code;
    thunk_x64::Context context;
};
constexpr SIZE_T kBlockSize = sizeof(Block64);

// Every 64-bit block jumps here with its context in place of the window handle.
LRESULT CALLBACK dispatch64(HWND contextArg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* c = reinterpret_cast<thunk_x64::Context*>(contextArg);
    struct Args {
        HWND hWnd;
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    } args{reinterpret_cast<HWND>(c->hWnd), uMsg, wParam, lParam};
    const PhaseTable before{c->beforeTable, c->beforeCount};
    const PhaseTable after{c->afterTable, c->afterCount};
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
        auto* vtable = *static_cast<void***>(c->object);
        reinterpret_cast<SubclassCallback>(vtable[7])(c->object, bBefore ? VARIANT_TRUE : VARIANT_FALSE,
                                                      &handled, &r, &h, &m, &w, &l);
        bHandled = handled != 0;
        if (r != r0) lReturn = r;
        if (h != h0) a.hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(h));
        a.uMsg = static_cast<UINT>(m);
        if (w != w0) a.wParam = static_cast<WPARAM>(static_cast<LONG_PTR>(w));
        if (l != l0) a.lParam = l;
    };
    return runSubclassed<LRESULT>(before, after, args, previous, callback);
}
#else
constexpr SIZE_T kBlockSize = thunk_x86::kSize;
#endif

}  // namespace

struct WindowSubclasser::Template {
    thunk_x86::Block bytes;
    std::uint32_t callWindowProc = 0;
    std::uint32_t setWindowLong = 0;
};

WindowSubclasser::WindowSubclasser(void* object) : object_(object) {}

WindowSubclasser::~WindowSubclasser() { table_.stopAll(); }

bool WindowSubclasser::isWindow(Address hWnd) { return IsWindow(reinterpret_cast<HWND>(hWnd)) != FALSE; }

bool WindowSubclasser::isOwnWindow(Address hWnd) {
    return isWindow(hWnd) &&
           GetWindowThreadProcessId(reinterpret_cast<HWND>(hWnd), nullptr) == GetCurrentThreadId();
}

Address WindowSubclasser::newBlock() {
    if (!template_) {
        template_ = std::make_unique<Template>();
        template_->bytes = thunk_x86::decodeTemplate();
        thunk_x86::patchObject(template_->bytes, static_cast<std::uint32_t>(reinterpret_cast<Address>(object_)));
        template_->callWindowProc = static_cast<std::uint32_t>(reinterpret_cast<Address>(user32Entry("CallWindowProcA")));
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
    return reinterpret_cast<Address>(block);
}

void WindowSubclasser::freeBlock(Address block) { GlobalFree(reinterpret_cast<HGLOBAL>(block)); }

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
                             template_->callWindowProc);
#endif
}

void WindowSubclasser::patchTable(Address block, bool before, const std::int32_t* firstSlot) {
#ifdef _WIN64
    auto& c = reinterpret_cast<Block64*>(block)->context;
    (before ? c.beforeTable : c.afterTable) = firstSlot;
#else
    thunk_x86::patchTable(reinterpret_cast<std::uint8_t*>(block), before,
                          static_cast<std::uint32_t>(reinterpret_cast<Address>(firstSlot)));
#endif
}

void WindowSubclasser::patchCount(Address block, bool before, std::int32_t count) {
#ifdef _WIN64
    auto& c = reinterpret_cast<Block64*>(block)->context;
    (before ? c.beforeCount : c.afterCount) = count;
#else
    thunk_x86::patchCount(reinterpret_cast<std::uint8_t*>(block), before, count);
#endif
}

}  // namespace lanthor
