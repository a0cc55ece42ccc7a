// CDictionary over Wine's own Scripting.Dictionary: look-ups in both modes,
// the Key look-up on host objects, the sort with its 16-bit positions, and
// the reports each failure gives.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/late.h"
#include "common/testing/harness.h"
#include "common/text.h"
#include "lanthor_h.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::testing::CapturedBox;
using frame::testing::MessageBoxCapture;

namespace {

const IID kIDictionary = {0x42C642C1, 0x97E1, 0x11CF, {0x97, 0x8F, 0x00, 0xA0, 0x24, 0x63, 0xE0, 0x6F}};
const CLSID kScriptingDictionary = {0xEE09B103, 0x97E0, 0x11CF, {0x97, 0x8F, 0x00, 0xA0, 0x24, 0x63, 0xE0, 0x6F}};

// A host's own object with a "Key" property, and a default value when given one.
ComPtr<IDispatch> hostItem(Variant key) { return frame::testing::makeHostObject({{u"Key", std::move(key)}}); }
ComPtr<IDispatch> hostItem(Variant key, Variant value) {
    return frame::testing::makeHostObject({{u"Key", std::move(key)}}, std::move(value));
}

ComPtr<_CDictionary> newDictionary() {
    return frame::testing::createFromDll<_CDictionary>(L"Lanthor.dll", __uuidof(CDictionary));
}

void add(_CDictionary* d, Variant key, Variant item) { EXPECT_EQ(d->Add(&key.raw(), &item.raw()), S_OK); }

bool exists(_CDictionary* d, Variant key) {
    VARIANT_BOOL found = VARIANT_TRUE;
    EXPECT_EQ(d->Exists(&key.raw(), &found), S_OK);
    return found != VARIANT_FALSE;
}

long count(_CDictionary* d) {
    long n = -1;
    EXPECT_EQ(d->get_Count(&n), S_OK);
    return n;
}

void sort(_CDictionary* d, bool byKey) {
    VARIANT_BOOL fKey = byKey ? VARIANT_TRUE : VARIANT_FALSE;
    EXPECT_EQ(d->SortDictionary(&fKey), S_OK);
}

// The elements of Keys or Items as text.
std::vector<std::u16string> texts(const Variant& array) {
    std::vector<std::u16string> out;
    for (const VARIANT& v : frame::VariantElements(array)) out.push_back(frame::variantText(v));
    return out;
}
std::vector<std::u16string> keys(_CDictionary* d) {
    Variant k;
    EXPECT_EQ(d->get_Keys(k.put()), S_OK);
    return texts(k);
}
std::vector<std::u16string> items(_CDictionary* d) {
    Variant i;
    EXPECT_EQ(d->get_Items(i.put()), S_OK);
    return texts(i);
}

using Texts = std::vector<std::u16string>;

Variant nullValue() {
    Variant v;
    V_VT(&v.raw()) = VT_NULL;
    return v;
}
Variant number(double value) {
    Variant v;
    V_VT(&v.raw()) = VT_R8;
    V_R8(&v.raw()) = value;
    return v;
}
Variant array(int elements) {
    Variant v;
    V_VT(&v.raw()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v.raw()) = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements));
    return v;
}

}  // namespace

TEST(CDictionary, StartsEmptyInBinaryModeOverAScriptingDictionary) {
    auto d = newDictionary();
    ASSERT_TRUE(d);
    EnumCompareModes mode = dicText;
    d->get_CompareMode(&mode);
    EXPECT_EQ(mode, dicBinary);
    EXPECT_EQ(count(d.get()), 0);
    ComPtr<IDispatch> inner;
    ASSERT_EQ(d->get_Dictionary(inner.put()), S_OK);
    ComPtr<IUnknown> dictionary;
    EXPECT_EQ(inner->QueryInterface(kIDictionary, dictionary.putVoid()), S_OK);
    // The host may work on the inner dictionary directly.
    frame::LateBound(inner).call(u"Add", {u"direct", 1});
    EXPECT_EQ(count(d.get()), 1);
}

TEST(CDictionary, SortsByKeysInCodeUnitOrderWithItemsFollowing) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    add(d.get(), u"b", 1);
    add(d.get(), u"A", 2);
    add(d.get(), u"a", 3);
    sort(d.get(), true);
    EXPECT_EQ(keys(d.get()), (Texts{u"A", u"a", u"b"}));
    EXPECT_EQ(items(d.get()), (Texts{u"2", u"3", u"1"}));

    // Binary comparison by 16-bit code units, whatever the locale: U+0100 after U+00FF.
    auto wide = newDictionary();
    for (const char16_t* key : {u"\u0100", u"z", u"\u00FF", u"B", u"\u00E9"}) add(wide.get(), key, 0);
    sort(wide.get(), true);
    EXPECT_EQ(keys(wide.get()), (Texts{u"B", u"z", u"\u00E9", u"\u00FF", u"\u0100"}));

    // Numbers compare as numbers.
    auto numbers = newDictionary();
    for (int n : {10, 9, 100, -3}) add(numbers.get(), n, n);
    sort(numbers.get(), true);
    EXPECT_EQ(keys(numbers.get()), (Texts{u"-3", u"9", u"10", u"100"}));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CDictionary, SortsByItemsAndEqualItemsMayChangeOrder) {
    auto d = newDictionary();
    add(d.get(), u"a", 2);
    add(d.get(), u"b", 2);
    add(d.get(), u"c", 1);
    sort(d.get(), false);
    EXPECT_EQ(items(d.get()), (Texts{u"1", u"2", u"2"}));
    EXPECT_EQ(keys(d.get()), (Texts{u"c", u"b", u"a"}));  // a and b, equal, exchanged
}

TEST(CDictionary, ExistsInTextModeIgnoresCaseAndTypeInBinaryModeNeither) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    add(d.get(), u"abc", 1);
    add(d.get(), 12, 2);
    EXPECT_FALSE(exists(d.get(), u"ABC"));
    EXPECT_TRUE(exists(d.get(), u"abc"));
    EXPECT_TRUE(exists(d.get(), 12));
    EXPECT_FALSE(exists(d.get(), u"12"));
    d->put_CompareMode(dicText);
    EXPECT_TRUE(exists(d.get(), u"ABC"));
    EXPECT_TRUE(exists(d.get(), u"aBc"));
    EXPECT_TRUE(exists(d.get(), u"12"));
    EXPECT_TRUE(exists(d.get(), number(12)));
    EXPECT_FALSE(exists(d.get(), u"ab"));
    EXPECT_FALSE(exists(d.get(), nullValue()));
    // Any other mode is stored as given and finds nothing.
    for (int other : {0, 3, -1}) {
        d->put_CompareMode(static_cast<EnumCompareModes>(other));
        EnumCompareModes stored = dicBinary;
        d->get_CompareMode(&stored);
        EXPECT_EQ(stored, other);
        EXPECT_FALSE(exists(d.get(), u"abc"));
    }
    // Binary look-ups on a filled dictionary work every time: its mode is
    // written only when it is not binary already.
    d->put_CompareMode(dicBinary);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(exists(d.get(), u"abc"));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CDictionary, ExistsReportsAnInnerModeThatCannotBeChanged) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    ComPtr<IDispatch> inner;
    d->get_Dictionary(inner.put());
    frame::LateBound(inner).put(u"CompareMode", 1);  // text comparison, set while empty
    add(d.get(), u"abc", 1);
    EXPECT_FALSE(exists(d.get(), u"abc"));
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Exists");
    EXPECT_EQ(capture.boxes()[0].text.substr(0, 10), u"Error: 5. ");
    EXPECT_EQ(frame::longOf(frame::LateBound(inner).get(u"CompareMode")), 1);
}

TEST(CDictionary, ItemAndKeyReturnObjectsAsReferencesAndReportWithItemOpening) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    ComPtr<IDispatch> holder = hostItem(u"the key property");
    add(d.get(), u"object", Variant::object(holder.get()));
    add(d.get(), u"plain", 5);

    Variant key(u"object"), result;
    ASSERT_EQ(d->get_Item(&key.raw(), result.put()), S_OK);
    ASSERT_EQ(result.type(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&result.get()), holder.get());
    ASSERT_EQ(d->get_Key(&key.raw(), result.put()), S_OK);
    EXPECT_EQ(frame::variantText(result.get()), u"the key property");
    Variant plain(u"plain");
    ASSERT_EQ(d->get_Item(&plain.raw(), result.put()), S_OK);
    EXPECT_EQ(result.type(), VT_I4);
    EXPECT_TRUE(capture.boxes().empty());

    // Key of an item that is no object, or has no Key.
    ASSERT_EQ(d->get_Key(&plain.raw(), result.put()), S_OK);
    EXPECT_EQ(result.type(), VT_EMPTY);
    ComPtr<IDispatch> inner;
    d->get_Dictionary(inner.put());
    add(d.get(), u"dictionary", Variant::object(inner.get()));
    Variant dictionaryKey(u"dictionary");
    d->get_Key(&dictionaryKey.raw(), result.put());
    ASSERT_EQ(capture.boxes().size(), 2u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Key");
    EXPECT_EQ(capture.boxes()[0].text, u"Item: 424. Object required");
    EXPECT_EQ(capture.boxes()[1].caption, u"Key");
    EXPECT_EQ(capture.boxes()[1].text.substr(0, 11), u"Item: 438. ");
}

TEST(CDictionary, FailuresOfTheInnerDictionaryAreReportedAndChangeNothing) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    add(d.get(), u"k", 1);
    add(d.get(), u"k", 2);
    Variant missing(u"missing");
    EXPECT_EQ(d->Remove(&missing.raw()), S_OK);
    EXPECT_EQ(count(d.get()), 1);
    EXPECT_EQ(items(d.get()), (Texts{u"1"}));
    ASSERT_EQ(capture.boxes().size(), 2u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Add");
    EXPECT_EQ(capture.boxes()[0].text, u"Error: 457. This key is already associated with an element of this collection");
    EXPECT_EQ(capture.boxes()[1].caption, u"Remove");
    EXPECT_EQ(capture.boxes()[1].text, u"Error: 32811. Element not found");
    EXPECT_EQ(d->RemoveAll(), S_OK);
    EXPECT_EQ(count(d.get()), 0);
}

TEST(CDictionary, SortingNothingIsReportedAndLeavesItEmpty) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    sort(d.get(), true);
    sort(d.get(), false);
    EXPECT_EQ(count(d.get()), 0);
    ASSERT_EQ(capture.boxes().size(), 2u);
    EXPECT_EQ(capture.boxes()[0].caption, u"SortDictionary");
    EXPECT_EQ(capture.boxes()[0].text, u"Error: 9. Subscript out of range");
}

TEST(CDictionary, ValuesThatCannotBeComparedStopTheSortWhichIsStillUsed) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    add(d.get(), u"a", 3);
    add(d.get(), u"b", 2);
    add(d.get(), u"c", array(2));
    add(d.get(), u"d", 1);
    sort(d.get(), false);
    // (3,a) and (2,b) exchange; comparing 2 with the array fails.
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"DoSort");
    EXPECT_EQ(capture.boxes()[0].text.substr(0, 11), u"Error: 13. ");
    EXPECT_EQ(keys(d.get()), (Texts{u"b", u"a", u"c", u"d"}));

    // Objects compare by their default value; one without it stops the sort.
    capture.clear();
    auto objects = newDictionary();
    add(objects.get(), u"x", Variant::object(hostItem(u"", 20).get()));
    add(objects.get(), u"y", Variant::object(hostItem(u"", 10).get()));
    sort(objects.get(), false);
    EXPECT_EQ(keys(objects.get()), (Texts{u"y", u"x"}));
    EXPECT_TRUE(capture.boxes().empty());
    add(objects.get(), u"z", Variant::object(hostItem(u"").get()));
    sort(objects.get(), false);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"DoSort");
    EXPECT_EQ(count(objects.get()), 3);
}

// Keys are texts here: Wine's dictionary takes distinct numbers whose hashes
// collide for the same key.
std::u16string fiveDigits(int n) {
    std::u16string text = frame::decimal(n);
    return std::u16string(5 - text.size(), u'0') + text;
}

TEST(CDictionary, SortPositionsAreSixteenBit) {
    MessageBoxCapture capture;
    for (int entries : {32769, 32768}) {
        capture.clear();
        auto d = newDictionary();
        for (int k = entries; k >= 1; --k) add(d.get(), fiveDigits(k), 0);
        ASSERT_EQ(count(d.get()), entries);
        sort(d.get(), true);
        ASSERT_EQ(capture.boxes().size(), 1u) << entries;
        EXPECT_EQ(capture.boxes()[0].caption, u"DoSort");
        EXPECT_EQ(capture.boxes()[0].text, u"Error: 6. Overflow");
        const Texts order = keys(d.get());
        ASSERT_EQ(order.size(), static_cast<size_t>(entries));
        if (entries == 32769) {
            EXPECT_EQ(order.front(), u"32769");  // overflow before the first exchange: old order
            EXPECT_EQ(order.back(), u"00001");
        } else {
            EXPECT_EQ(order.front(), u"00001");  // the first pass ran
            EXPECT_EQ(order[1], u"32768");
            EXPECT_EQ(order[2], u"32767");
        }
    }
}

TEST(CDictionary, ACreationFailureIsTheClassInitializeReport) {
    // Point the dictionary's class at one that does not exist while a CDictionary is made.
    const CLSID nowhere = {0x0BADC1A5, 0x5EED, 0x4C0D, {0x9E, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
    ASSERT_EQ(CoTreatAsClass(kScriptingDictionary, nowhere), S_OK);
    MessageBoxCapture capture;
    auto d = newDictionary();
    CoTreatAsClass(kScriptingDictionary, CLSID_NULL);
    ASSERT_TRUE(d);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Class_Initialize");
    EXPECT_EQ(capture.boxes()[0].text.substr(0, 7), u"Error: ");
    // Every member after it reports the missing object.
    EXPECT_EQ(count(d.get()), 0);
    ASSERT_EQ(capture.boxes().size(), 2u);
    EXPECT_EQ(capture.boxes()[1].text, u"Error: 91. Object variable or With block variable not set");
    ComPtr<IDispatch> inner;
    EXPECT_EQ(d->get_Dictionary(inner.put()), S_OK);
    EXPECT_FALSE(inner);
    auto working = newDictionary();
    EXPECT_EQ(count(working.get()), 0);
    EXPECT_EQ(capture.boxes().size(), 2u);
}

TEST(CDictionary, LateBoundAsAScriptCallsIt) {
    MessageBoxCapture capture;
    auto d = newDictionary();
    Variant key(u"Key"), item(u"value"), other(u"other"), two(2);
    ASSERT_EQ(frame::invokeByName(d.get(), u"Add", DISPATCH_METHOD, {Argument::byRef(key), Argument::byRef(item)}).hr, S_OK);
    ASSERT_EQ(frame::invokeByName(d.get(), u"Add", DISPATCH_METHOD, {Argument::byRef(other), two}).hr, S_OK);
    frame::LateBound late(ComPtr<IDispatch>(d.get()));
    EXPECT_EQ(frame::longOf(late.get(u"Count")), 2);
    EXPECT_EQ(frame::variantText(late.get(u"Item", {u"Key"}).get()), u"value");
    late.put(u"CompareMode", 2);
    EXPECT_EQ(frame::longOf(late.get(u"CompareMode")), 2);
    EXPECT_TRUE(frame::booleanOf(late.call(u"Exists", {u"KEY"})));
    Variant byKey = Variant::boolean(true);
    ASSERT_EQ(frame::invokeByName(d.get(), u"SortDictionary", DISPATCH_METHOD, {Argument::byRef(byKey)}).hr, S_OK);
    EXPECT_EQ(texts(late.get(u"Keys")), (Texts{u"Key", u"other"}));
    late.call(u"Remove", {u"Key"});
    EXPECT_EQ(texts(late.get(u"Items")), (Texts{u"2"}));
    EXPECT_TRUE(capture.boxes().empty());
    // The caller's variables are not changed.
    EXPECT_EQ(Bstr::view(V_BSTR(&key.get())), u"Key");
    EXPECT_EQ(V_BOOL(&byKey.get()), VARIANT_TRUE);
}

// Keys and items of every kind: each call ends in the platform's outcome or
// a report, never in a crash or a failed call.
TEST(CDictionary, KeysAndItemsOfEveryKind) {
    MessageBoxCapture capture;
    Variant date, currency, nothing, empty;
    V_VT(&date.raw()) = VT_DATE;
    V_DATE(&date.raw()) = 45000.5;
    V_VT(&currency.raw()) = VT_CY;
    V_CY(&currency.raw()).int64 = 123456;
    V_VT(&nothing.raw()) = VT_DISPATCH;
    V_DISPATCH(&nothing.raw()) = nullptr;
    const Variant values[] = {empty, nullValue(), number(std::numeric_limits<double>::quiet_NaN()), number(1.5),
                              Variant::boolean(true), date, currency, array(3), nothing,
                              Variant::object(hostItem(u"k").get()), u"text", 7};
    for (int mode : {dicBinary, dicText}) {
        auto d = newDictionary();
        d->put_CompareMode(static_cast<EnumCompareModes>(mode));
        for (const Variant& v : values) add(d.get(), v, v);
        for (const Variant& v : values) exists(d.get(), v);
        sort(d.get(), true);
        sort(d.get(), false);
        Variant k = values[5];
        Variant result;
        EXPECT_EQ(d->get_Item(&k.raw(), result.put()), S_OK);
        EXPECT_GE(count(d.get()), 1);
    }
    // Every box is one of the reports, with a member's name as caption.
    for (const CapturedBox& box : capture.boxes()) {
        EXPECT_TRUE(box.caption == u"Add" || box.caption == u"Exists" || box.caption == u"SortDictionary" ||
                    box.caption == u"DoSort" || box.caption == u"Item")
            << frame::testing::narrow(box.caption);
        EXPECT_TRUE(box.text.rfind(u"Error: ", 0) == 0 || box.text.rfind(u"Item: ", 0) == 0);
    }
}
