#include "common/testing/type_library.h"

#include <cstdio>

#include "common/testing/harness.h"

namespace frame::testing {
namespace {

std::string nameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
    return narrow(name.str());
}

std::string typeText(ITypeInfo* info, const TYPEDESC& desc) {
    switch (desc.vt) {
        case VT_I4: return "long";
        case VT_I2: return "short";
        case VT_BOOL: return "bool";
        case VT_BSTR: return "String";
        case VT_VARIANT: return "Variant";
        case VT_DISPATCH: return "IDispatch";
        case VT_UNKNOWN: return "IUnknown";
        case VT_HRESULT: return "HRESULT";
        case VT_VOID: return "void";
        case VT_PTR: return typeText(info, *desc.lptdesc) + "*";
        case VT_USERDEFINED: {
            ComPtr<ITypeInfo> referenced;
            if (FAILED(info->GetRefTypeInfo(desc.hreftype, referenced.put()))) return "?";
            return nameOf(referenced.get(), MEMBERID_NIL);
        }
        default: return "vt" + std::to_string(desc.vt);
    }
}

// A parameter's type with its by-reference pointer taken off.
std::string valueType(ITypeInfo* info, const ELEMDESC& param, bool& byRef) {
    const USHORT flags = param.paramdesc.wParamFlags;
    byRef = (flags & PARAMFLAG_FOUT) && !(flags & PARAMFLAG_FRETVAL);
    if ((flags & PARAMFLAG_FOUT) && param.tdesc.vt == VT_PTR) return typeText(info, *param.tdesc.lptdesc);
    return typeText(info, param.tdesc);
}

std::string hex(DISPID id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(id));
    return text;
}

}  // namespace

ComPtr<ITypeInfo> vtableView(ITypeInfo* info) {
    ComPtr<ITypeInfo> view(info);
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> other;
    if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, other.put())))
        view = other;
    return view;
}

std::vector<std::string> memberLines(ITypeInfo* dispatchInfo) {
    std::vector<std::string> lines;
    ComPtr<ITypeInfo> info = vtableView(dispatchInfo);
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return lines;
    const WORD count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        std::string line = nameOf(info.get(), f->memid);
        BSTR names[32] = {};
        UINT named = 0;
        info->GetNames(f->memid, names, 32, &named);
        std::string result, arguments;
        for (SHORT k = 0; k < f->cParams; ++k) {
            const ELEMDESC& param = f->lprgelemdescParam[k];
            bool byRef = false;
            const std::string type = valueType(info.get(), param, byRef);
            if (param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
                result = type;
                continue;
            }
            if (!arguments.empty()) arguments += ", ";
            // A method's arguments carry their names; a let's value is nameless in the contract.
            if (f->invkind == INVOKE_FUNC && static_cast<UINT>(k + 1) < named)
                arguments += narrow(std::u16string(Bstr::view(names[k + 1]))) + " ";
            arguments += type + (byRef ? " byref" : "");
        }
        for (UINT n = 0; n < named; ++n) SysFreeString(names[n]);
        switch (f->invkind) {
            case INVOKE_PROPERTYGET: line += " get " + hex(f->memid) + " " + result; break;
            case INVOKE_PROPERTYPUT: line += " let " + hex(f->memid) + " " + arguments; break;
            case INVOKE_PROPERTYPUTREF: line += " set " + hex(f->memid) + " " + arguments; break;
            default: line += " method " + hex(f->memid) + " (" + arguments + ") " + result; break;
        }
        lines.push_back(line);
        info->ReleaseFuncDesc(f);
    }
    return lines;
}

std::vector<std::string> propertyLines(const std::vector<PropertyRow>& rows) {
    std::vector<std::string> lines;
    for (const PropertyRow& row : rows) {
        const std::string id = hex(row.id);
        lines.push_back(std::string(row.name) + " get " + id + " " + row.type);
        if (row.access == Access::getLet) lines.push_back(std::string(row.name) + " let " + id + " " + row.type);
        if (row.access == Access::getLetByRef)
            lines.push_back(std::string(row.name) + " let " + id + " " + row.type + " byref");
    }
    return lines;
}

std::string interfaceFlags(ITypeInfo* dispatchInfo) {
    ComPtr<ITypeInfo> info = vtableView(dispatchInfo);
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return "?";
    const WORD flags = attr->wTypeFlags;
    info->ReleaseTypeAttr(attr);
    std::string text;
    for (auto [flag, word] : {std::pair{TYPEFLAG_FDUAL, "dual"}, {TYPEFLAG_FHIDDEN, "hidden"},
                              {TYPEFLAG_FNONEXTENSIBLE, "nonextensible"}, {TYPEFLAG_FOLEAUTOMATION, "oleautomation"}})
        if (flags & flag) text += (text.empty() ? "" : " ") + std::string(word);
    return text;
}

std::string enumerationText(ITypeLib* library, REFGUID id) {
    ComPtr<ITypeInfo> info;
    if (FAILED(library->GetTypeInfoOfGuid(id, info.put()))) return "missing";
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return "?";
    const TYPEKIND kind = attr->typekind;
    const WORD count = attr->cVars;
    info->ReleaseTypeAttr(attr);
    std::string text = nameOf(info.get(), MEMBERID_NIL) + (kind == TKIND_ENUM ? ":" : " (not an enumeration):");
    for (UINT i = 0; i < count; ++i) {
        VARDESC* v = nullptr;
        if (FAILED(info->GetVarDesc(i, &v))) continue;
        Variant value(*v->lpvarValue);
        Variant number;
        VariantChangeType(number.put(), &value.raw(), 0, VT_I4);
        text += std::string(i ? ", " : " ") + nameOf(info.get(), v->memid) + "=" +
                std::to_string(V_I4(&number.get()));
        info->ReleaseVarDesc(v);
    }
    return text;
}

TypeIdentity identityOf(ITypeInfo* info) {
    TypeIdentity identity;
    TYPEATTR* attr = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attr))) return identity;
    identity.guid = attr->guid;
    identity.kind = attr->typekind;
    info->ReleaseTypeAttr(attr);
    Bstr name;
    info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    identity.name = name.str();
    return identity;
}

ComPtr<ITypeInfo> providedClass(IUnknown* object) {
    ComPtr<IProvideClassInfo> provider;
    ComPtr<ITypeInfo> info;
    if (object && SUCCEEDED(object->QueryInterface(__uuidof(IProvideClassInfo), provider.putVoid())))
        provider->GetClassInfo(info.put());
    return info;
}

}  // namespace frame::testing
