#pragma once
// The window system's side of the subclass table: executable blocks, window
// procedures and the patching of either block kind.
#include <windows.h>
#include <oleauto.h>

#include <memory>

#include "lanthor/tooltips/subclass_table.h"

namespace lanthor {

// The callback slot the blocks call: the first entry after IUnknown's three
// and IDispatch's four in the object's function table.
using SubclassCallback = HRESULT(STDMETHODCALLTYPE*)(void* self, VARIANT_BOOL bBefore,
                                                     VARIANT_BOOL* bHandled, LONG* lReturn,
                                                     LONG* hWnd, LONG* uMsg, LONG* wParam,
                                                     LONG* lParam);

// What the 32-bit blocks call instead of the object itself: entry 7 of its
// table frames the callback (see BlockGraveyard) and passes it on.
struct CallbackGate {
    void* const* vtable;
    void* object;
};

class WindowSubclasser final : public SubclassPlatform {
public:
    // object: the interface pointer whose entry 7 receives the callbacks.
    explicit WindowSubclasser(void* object);
    ~WindowSubclasser() override;
    WindowSubclasser(const WindowSubclasser&) = delete;
    WindowSubclasser& operator=(const WindowSubclasser&) = delete;

    SubclassTable& table() { return table_; }
    // Blocks of this module made and not yet freed, over every thread.
    static long liveBlocks();

    bool isWindow(Address hWnd) override;
    bool isOwnWindow(Address hWnd) override;
    Address newBlock() override;
    BlockRelease blockRelease() override;
    void keepCodeLoaded() override;
    void flushLater() override;
    Address windowProc(Address hWnd) override;
    Address setWindowProc(Address hWnd, Address proc) override;
    void patchPrevious(Address block, Address hWnd, Address previous) override;
    void patchTable(Address block, bool before, const std::int32_t* firstSlot) override;
    void patchCount(Address block, bool before, std::int32_t count) override;

private:
    struct Template;
    void* object_;
    CallbackGate gate_;
    std::unique_ptr<Template> template_;  // built at the first block
    SubclassTable table_{*this};
};

}  // namespace lanthor
