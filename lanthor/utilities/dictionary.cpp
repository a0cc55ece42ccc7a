#include "lanthor/utilities/dictionary.h"

#include <optional>
#include <vector>

#include "common/text.h"
#include "lanthor/utilities/exchange_sort.h"

namespace lanthor {
namespace {

const CLSID kScriptingDictionary = {0xEE09B103, 0x97E0, 0x11CF, {0x97, 0x8F, 0x00, 0xA0, 0x24, 0x63, 0xE0, 0x6F}};
constexpr int32_t kBinaryCompare = 0;  // the scripting runtime's own mode number

using frame::Argument;
using frame::Variant;

// A by-reference Variant argument passed on as the caller's own variable.
Argument callers(VARIANT* value) {
    if (!value) return Argument(Variant());
    return Argument::byRef(*value);
}

// The lower-case text of a value as LCase gives it; none for Null.
std::optional<std::u16string> lowerCase(const VARIANT& value) {
    const VARIANT* v = &value;
    while (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    if ((V_VT(v) & ~VT_BYREF) == VT_NULL) return std::nullopt;
    std::u16string text = V_VT(v) == VT_BSTR ? std::u16string(frame::Bstr::view(V_BSTR(v))) : frame::variantText(*v);
    CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
    return text;
}

// Whether LCase(key) = wanted, where wanted is LCase of the key looked for.
// A text key of another length cannot match: lower-casing keeps the length.
bool lowerCaseEquals(const VARIANT& key, const std::optional<std::u16string>& wanted) {
    if (V_VT(&key) == VT_BSTR && (!wanted || frame::Bstr::view(V_BSTR(&key)).size() != wanted->size())) return false;
    const std::optional<std::u16string> lowered = lowerCase(key);
    return wanted && lowered && *wanted == *lowered;
}

// An object compares by its default value, as any other use of it as a value.
Variant defaultValue(const VARIANT& object) {
    if (!V_DISPATCH(&object)) frame::raise(frame::errObjectNotSet);
    frame::InvokeOutcome out = frame::invokeById(V_DISPATCH(&object), DISPID_VALUE, DISPATCH_PROPERTYGET, {});
    if (FAILED(out.hr)) throw frame::RuntimeError(out.errorNumber, out.description, out.source);
    if (out.result.type() == VT_DISPATCH) frame::raise(frame::errTypeMismatch);
    return std::move(out.result);
}

// The sort's greater-than: the runtime's variant comparison, with strings
// compared by their code units (binary comparison, whatever the locale).
bool greaterThan(const VARIANT& left, const VARIANT& right) {
    if (V_VT(&left) == VT_BSTR && V_VT(&right) == VT_BSTR)
        return frame::Bstr::view(V_BSTR(&left)) > frame::Bstr::view(V_BSTR(&right));
    if (V_VT(&left) == VT_I4 && V_VT(&right) == VT_I4) return V_I4(&left) > V_I4(&right);  // the common case, directly
    if (V_VT(&left) == VT_DISPATCH) return greaterThan(defaultValue(left).get(), right);
    if (V_VT(&right) == VT_DISPATCH) return greaterThan(left, defaultValue(right).get());
    if ((V_VT(&left) | V_VT(&right)) & VT_ARRAY) frame::raise(frame::errTypeMismatch);
    const HRESULT order = VarCmp(const_cast<VARIANT*>(&left), const_cast<VARIANT*>(&right), LOCALE_USER_DEFAULT, 0);
    frame::check(order);
    return order == VARCMP_GT;
}

// One row of the sort table: the value sorted by and its partner.
struct Row {
    Variant sorted;
    Variant partner;
};

std::vector<Row> sortTable(const Variant& sortColumn, const Variant& partnerColumn) {
    const frame::VariantElements sorted(sortColumn), partners(partnerColumn);
    // The table cannot be sized for no rows.
    if (sorted.size() == 0 || partners.size() != sorted.size()) frame::raise(frame::errSubscriptOutOfRange);
    std::vector<Row> table(sorted.size());
    for (size_t k = 0; k < table.size(); ++k) table[k] = {Variant(sorted[k]), Variant(partners[k])};
    return table;
}

}  // namespace

CDictionary::CDictionary() {
    frame::withUsualReport(u"Class_Initialize",
                           [&] { inner_ = frame::LateBound(frame::createObject(kScriptingDictionary)); });
}

HRESULT CDictionary::get_Count(long* result) {
    return member(u"Count", Report, result, [&] { return frame::longOf(inner_.get(members_.count)); });
}

HRESULT CDictionary::get_Dictionary(IDispatch** result) {
    return member(u"Dictionary", Report, result, [&] {
        innerShared_ = true;
        return frame::ComPtr<IDispatch>(inner_.get());
    });
}

HRESULT CDictionary::get_Item(VARIANT* varKey, VARIANT* result) {
    return member(u"Item", frame::reportOpening(u"Item", u"Item: "), result,
                  [&] { return inner_.get(members_.item, {callers(varKey)}); });
}

HRESULT CDictionary::get_Items(VARIANT* result) {
    return member(u"Items", Report, result, [&] { return inner_.get(members_.items); });
}

HRESULT CDictionary::get_Key(VARIANT* varKey, VARIANT* result) {
    return member(u"Key", frame::reportOpening(u"Key", u"Item: "), result,
                  [&] { return frame::objectOf(inner_.get(members_.item, {callers(varKey)})).get(u"Key"); });
}

HRESULT CDictionary::get_Keys(VARIANT* result) {
    return member(u"Keys", Report, result, [&] { return inner_.get(members_.keys); });
}

HRESULT CDictionary::Add(VARIANT* varKey, VARIANT* varItem) {
    return member(u"Add", Report, [&] { inner_.call(members_.add, {callers(varKey), callers(varItem)}); });
}

bool CDictionary::existsBinary(VARIANT* varKey) {
    // The scripting runtime refuses any write of its mode once it holds an
    // entry, even of the mode it has; so the mode is written only to change it.
    // It starts binary, and only a host that was handed the dictionary can change it.
    if (innerShared_ && frame::longOf(inner_.get(members_.compareMode)) != kBinaryCompare)
        inner_.put(members_.compareMode, kBinaryCompare);
    return frame::booleanOf(inner_.call(members_.exists, {callers(varKey)}));
}

bool CDictionary::existsText(VARIANT* varKey) {
    const Variant keys = inner_.get(members_.keys);
    std::optional<std::optional<std::u16string>> wanted;  // lower-cased at the first key
    for (const VARIANT& key : frame::VariantElements(keys)) {
        if (!wanted) wanted = varKey ? lowerCase(*varKey) : std::optional<std::u16string>(u"");
        if (lowerCaseEquals(key, *wanted)) return true;
    }
    return false;
}

HRESULT CDictionary::Exists(VARIANT* varKey, VARIANT_BOOL* result) {
    return member(u"Exists", Report, result, [&] {
        switch (compareMode_) {
            case dicBinary: return existsBinary(varKey);
            case dicText: return existsText(varKey);
            default: return false;
        }
    });
}

HRESULT CDictionary::Remove(VARIANT* varKey) {
    return member(u"Remove", Report, [&] { inner_.call(members_.remove, {callers(varKey)}); });
}

HRESULT CDictionary::RemoveAll() {
    return member(u"RemoveAll", Report, [&] { inner_.call(members_.removeAll); });
}

HRESULT CDictionary::SortDictionary(VARIANT_BOOL* fKey) {
    return member(u"SortDictionary", Report, [&] {
        const bool byKey = fKey && *fKey != VARIANT_FALSE;
        const Variant keys = inner_.get(members_.keys);
        const Variant items = inner_.get(members_.items);
        std::vector<Row> table = byKey ? sortTable(keys, items) : sortTable(items, keys);
        // The sort has a report of its own; the table is used as far as it got.
        frame::withUsualReport(u"DoSort", [&] {
            exchangeSort(
                table.size(), [&](size_t i, size_t j) { return greaterThan(table[i].sorted.get(), table[j].sorted.get()); },
                [&](size_t i, size_t j) { std::swap(table[i], table[j]); });
        });
        inner_.call(members_.removeAll);
        for (Row& row : table) {
            Variant& key = byKey ? row.sorted : row.partner;
            Variant& item = byKey ? row.partner : row.sorted;
            inner_.call(members_.add, {Argument::byRef(key), Argument::byRef(item)});
        }
    });
}

}  // namespace lanthor
