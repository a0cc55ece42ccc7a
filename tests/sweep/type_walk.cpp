#include "tests/sweep/type_walk.h"

#include "common/errors.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <stdexcept>

namespace sweep {

using frame::ComPtr;
using frame::Variant;

namespace {

std::u16string text(BSTR s) { return std::u16string(frame::Bstr::view(s)); }

std::string narrowText(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

// The type a parameter carries, with enumerations and aliases resolved and
// the pointer levels that make it by reference counted.
void resolve(ITypeInfo* info, const TYPEDESC& declared, Parameter& parameter) {
    int levels = 0;
    const TYPEDESC* d = &declared;
    while (d->vt == VT_PTR && d->lptdesc) {
        ++levels;
        d = d->lptdesc;
    }
    VARTYPE base = d->vt;
    if (base == VT_USERDEFINED) {
        ComPtr<ITypeInfo> referenced;
        TYPEATTR* attr = nullptr;
        base = VT_I4;
        if (SUCCEEDED(info->GetRefTypeInfo(d->hreftype, referenced.put())) &&
            SUCCEEDED(referenced->GetTypeAttr(&attr))) {
            switch (attr->typekind) {
                case TKIND_ENUM: base = VT_I4; break;
                case TKIND_ALIAS: base = attr->tdescAlias.vt; break;
                default: base = VT_DISPATCH; --levels; break;  // the interface pointer itself
            }
            referenced->ReleaseTypeAttr(attr);
        }
    }
    parameter.type = declared;
    parameter.target = base;
    parameter.byRef = levels > 0;
}

Member readMember(ITypeInfo* info, const FUNCDESC& function) {
    Member member;
    member.id = function.memid;
    member.invokeKind = static_cast<WORD>(function.invkind);
    member.vtableOffset = function.oVft;
    std::vector<BSTR> names(static_cast<size_t>(function.cParams) + 1, nullptr);
    UINT count = 0;
    info->GetNames(function.memid, names.data(), static_cast<UINT>(names.size()), &count);
    std::vector<frame::Bstr> owned;
    for (UINT i = 0; i < count; ++i) owned.push_back(frame::Bstr::attach(names[i]));
    member.name = owned.empty() ? u"?" : std::u16string(owned[0].view());
    for (SHORT k = 0; k < function.cParams; ++k) {
        const ELEMDESC& element = function.lprgelemdescParam[k];
        const USHORT flags = element.paramdesc.wParamFlags;
        Parameter parameter;
        resolve(info, element.tdesc, parameter);
        if (flags & PARAMFLAG_FRETVAL) {
            member.result = parameter.target;
            continue;
        }
        if (flags & PARAMFLAG_FLCID) continue;
        parameter.name = static_cast<size_t>(k) + 1 < owned.size() ? std::u16string(owned[k + 1].view()) : u"value";
        parameter.optional = (flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0;
        member.parameters.push_back(parameter);
    }
    return member;
}

std::vector<Member> readInterface(ITypeInfo* info) {
    std::vector<Member> members;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return members;
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) continue;
        members.push_back(readMember(info, *function));
        info->ReleaseFuncDesc(function);
    }
    return members;
}

std::wstring windowsPath(const std::string& path) {
    std::wstring out;
    if (!path.empty() && path[0] == '/') out = L"Z:";
    for (char c : path) out.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool Member::windowHandle(size_t index) const {
    const Parameter& p = parameters[index];
    if (p.target != VT_I4) return false;
    std::u16string lower;
    for (char16_t c : p.name) lower.push_back(static_cast<char16_t>(std::towlower(c)));
    return lower.find(u"wnd") != std::u16string::npos;
}

Library readLibrary(const std::string& path) {
    Library library;
    library.path = windowsPath(path);
    ComPtr<ITypeLib> types;
    if (FAILED(LoadTypeLibEx(library.path.c_str(), REGKIND_NONE, types.put())))
        throw std::runtime_error("no type library in " + path);
    BSTR name = nullptr;
    types->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    library.name = text(frame::Bstr::attach(name).get());
    for (UINT i = 0; i < types->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> coclass;
        TYPEATTR* attr = nullptr;
        if (FAILED(types->GetTypeInfo(i, coclass.put())) || FAILED(coclass->GetTypeAttr(&attr))) continue;
        const bool creatable = attr->typekind == TKIND_COCLASS && (attr->wTypeFlags & TYPEFLAG_FCANCREATE);
        Class cls;
        cls.clsid = attr->guid;
        coclass->ReleaseTypeAttr(attr);
        if (!creatable) continue;
        BSTR className = nullptr;
        coclass->GetDocumentation(MEMBERID_NIL, &className, nullptr, nullptr, nullptr);
        cls.name = text(frame::Bstr::attach(className).get());
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> interfaceInfo;
        if (SUCCEEDED(coclass->GetRefTypeOfImplType(0, &reference)) &&
            SUCCEEDED(coclass->GetRefTypeInfo(reference, interfaceInfo.put()))) {
            // A dual interface's dispatch view lists IDispatch's own methods too;
            // its interface view lists only the members.
            ComPtr<ITypeInfo> vtableView;
            if (SUCCEEDED(interfaceInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) &&
                SUCCEEDED(interfaceInfo->GetRefTypeInfo(reference, vtableView.put())))
                interfaceInfo = vtableView;
            cls.members = readInterface(interfaceInfo.get());
        }
        library.classes.push_back(std::move(cls));
    }
    return library;
}

std::vector<Library> librariesUnderTest() {
    std::vector<Library> libraries;
    const char* list = std::getenv("SWEEP_LIBRARIES");
    std::string paths = list ? list : "";
    size_t start = 0;
    while (start < paths.size()) {
        size_t end = paths.find('|', start);
        if (end == std::string::npos) end = paths.size();
        if (end > start) libraries.push_back(readLibrary(paths.substr(start, end - start)));
        start = end + 1;
    }
    return libraries;
}

std::vector<Member> membersOf(IDispatch* object) {
    ComPtr<ITypeInfo> info, vtableView;
    HREFTYPE reference = 0;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) ||
        FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) ||
        FAILED(info->GetRefTypeInfo(reference, vtableView.put())))
        return {};
    return readInterface(vtableView.get());
}

ComPtr<IDispatch> create(const Library& library, const Class& cls) {
    return frame::createFromDll<IDispatch>(library.path.c_str(), cls.clsid);
}

std::string describe(const Class& cls, const Member& member) {
    const char* kind = member.invokeKind == DISPATCH_PROPERTYGET   ? " get"
                       : member.invokeKind == DISPATCH_PROPERTYPUT ? " let"
                       : member.invokeKind == DISPATCH_PROPERTYPUTREF ? " set"
                                                                    : "";
    return narrowText(cls.name) + "." + narrowText(member.name) + kind;
}

Variant neutral(const Parameter& p) {
    switch (p.target) {
        case VT_BSTR: return Variant(u"sweep");
        case VT_BOOL: return Variant::boolean(false);
        case VT_DISPATCH: case VT_UNKNOWN: return Variant::object(nullptr);
        case VT_I2: case VT_I4: case VT_INT: case VT_UI4: case VT_R8: case VT_R4: return Variant(0);
        default: return Variant();
    }
}

Outcome invoke(IDispatch* object, const Member& member, const std::vector<Variant>& values,
               const std::vector<bool>& byReference, bool namedBeyondCount) {
    std::vector<Variant> variables(values.size());
    std::vector<VARIANTARG> arguments;  // last to first
    for (size_t k = values.size(); k-- > 0;) {
        VARIANTARG a;
        if (byReference[k]) {
            variables[k] = values[k];
            VariantInit(&a);
            V_VT(&a) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&a) = &variables[k].raw();
        } else {
            a = values[k].get();  // a view; values keeps ownership
        }
        arguments.push_back(a);
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{arguments.empty() ? nullptr : arguments.data(), nullptr, static_cast<UINT>(arguments.size()),
                      0};
    const bool put = member.invokeKind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if ((put && !arguments.empty()) || namedBeyondCount) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    Outcome out;
    frame::testing::MessageBoxCapture capture;
    EXCEPINFO exception{};
    UINT argumentIndex = 0;
    out.hr = object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, member.invokeKind, &params, out.result.put(),
                            &exception, &argumentIndex);
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    frame::Bstr description = frame::Bstr::attach(exception.bstrDescription);
    frame::Bstr source = frame::Bstr::attach(exception.bstrSource);
    frame::Bstr help = frame::Bstr::attach(exception.bstrHelpFile);
    if (out.hr == DISP_E_EXCEPTION)
        out.number = exception.scode ? frame::errorFromHresult(exception.scode) : exception.wCode;
    out.description = description.str();
    out.boxes = capture.boxes();
    for (size_t k = 0; k < values.size(); ++k)
        if (byReference[k]) out.references.push_back(variables[k]);
    return out;
}

}  // namespace sweep
