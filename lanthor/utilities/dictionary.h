#pragma once
#include "common/frame.h"
#include "common/late.h"
#include "lanthor_h.h"

namespace lanthor {

// A keyed collection over the scripting runtime's own Scripting.Dictionary:
// the inner dictionary holds every entry; this class adds the comparison
// modes of Exists, the Key look-up and the sort.
class CDictionary final : public frame::Object<CDictionary, _CDictionary, ::CDictionary> {
public:
    static constexpr const char16_t* kName = u"CDictionary";

    CDictionary();

    FRAME_STORED_PROPERTY(CompareMode, EnumCompareModes, compareMode_)
    HRESULT STDMETHODCALLTYPE get_Count(long* result) override;
    HRESULT STDMETHODCALLTYPE get_Dictionary(IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT* varKey, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_Items(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_Key(VARIANT* varKey, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_Keys(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Add(VARIANT* varKey, VARIANT* varItem) override;
    HRESULT STDMETHODCALLTYPE Exists(VARIANT* varKey, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE Remove(VARIANT* varKey) override;
    HRESULT STDMETHODCALLTYPE RemoveAll() override;
    HRESULT STDMETHODCALLTYPE SortDictionary(VARIANT_BOOL* fKey) override;

private:
    bool existsBinary(VARIANT* varKey);
    bool existsText(VARIANT* varKey);

    // The inner dictionary's members, by DISPID after their first use.
    struct InnerMembers {
        frame::DispatchMember item{u"Item"}, add{u"Add"}, count{u"Count"}, exists{u"Exists"}, items{u"Items"},
            keys{u"Keys"}, remove{u"Remove"}, removeAll{u"RemoveAll"}, compareMode{u"CompareMode"};
    };

    frame::LateBound inner_{nullptr};  // no object when its creation failed
    InnerMembers members_;
    EnumCompareModes compareMode_ = dicBinary;
    bool innerShared_ = false;  // the host has been handed the inner dictionary
};

}  // namespace lanthor
