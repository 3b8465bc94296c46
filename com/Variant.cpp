#include "com/Variant.h"

#include <cmath>

#include "com/Bridge.h"
#include "com/Error.h"
#include "com/Text.h"

namespace com {
namespace {

VARTYPE ElementVarType(int32_t eElement) {
  switch (eElement) {
    case host::vbByte: return VT_UI1;
    case host::vbInteger: return VT_I2;
    case host::vbLong: return VT_I4;
    case host::vbSingle: return VT_R4;
    case host::vbDouble: return VT_R8;
    case host::vbDate: return VT_DATE;
    case host::vbString: return VT_BSTR;
    case host::vbObject: return VT_DISPATCH;
    case host::vbBoolean: return VT_BOOL;
    default: return VT_VARIANT;
  }
}

host::VarType HostElementType(VARTYPE vt) {
  switch (vt) {
    case VT_UI1: return host::vbByte;
    case VT_I2: return host::vbInteger;
    case VT_I4: return host::vbLong;
    case VT_R4: return host::vbSingle;
    case VT_R8: return host::vbDouble;
    case VT_DATE: return host::vbDate;
    case VT_BSTR: return host::vbString;
    case VT_DISPATCH: return host::vbObject;
    case VT_BOOL: return host::vbBoolean;
    default: return host::vbVariant;
  }
}

// The address of the value inside a VARIANT of the plain type vt.
void* ValueAddress(VARIANT& v, VARTYPE vt) {
  switch (vt) {
    case VT_VARIANT: return &v;
    case VT_UI1: return &V_UI1(&v);
    case VT_I2: return &V_I2(&v);
    case VT_I4: return &V_I4(&v);
    case VT_R4: return &V_R4(&v);
    case VT_R8: return &V_R8(&v);
    case VT_DATE: return &V_DATE(&v);
    case VT_BSTR: return V_BSTR(&v);  // SafeArrayPutElement takes the BSTR itself
    case VT_DISPATCH: return V_DISPATCH(&v);
    case VT_BOOL: return &V_BOOL(&v);
    default: return nullptr;
  }
}

SAFEARRAY* ToSafeArray(const host::VariantArray& a) {
  VARTYPE vt = ElementVarType(a.eElementType);
  SAFEARRAYBOUND bound{static_cast<ULONG>(a.items.size()), a.nLowerBound};
  SAFEARRAY* psa = SafeArrayCreate(vt, 1, &bound);
  if (!psa) host::Raise(host::err::OutOfMemory);
  try {
    LONG nIndex = a.nLowerBound;
    for (const auto& item : a.items) {
      VariantHolder v(item);
      if (vt != VT_VARIANT) Check(VariantChangeType(v.get(), v.get(), 0, vt));
      Check(SafeArrayPutElement(psa, &nIndex, ValueAddress(*v.get(), vt)));
      ++nIndex;
    }
  } catch (...) {
    SafeArrayDestroy(psa);
    throw;
  }
  return psa;
}

host::Variant FromSafeArray(SAFEARRAY* psa, VARTYPE vtElement) {
  if (!psa) return host::Variant::Array({});
  if (SafeArrayGetDim(psa) != 1)
    host::Raise(host::err::TypeMismatch, "only one-dimensional arrays are supported");
  LONG nLower = 0, nUpper = -1;
  Check(SafeArrayGetLBound(psa, 1, &nLower));
  Check(SafeArrayGetUBound(psa, 1, &nUpper));
  std::vector<host::Variant> items;
  if (nUpper >= nLower) items.reserve(static_cast<size_t>(nUpper - nLower + 1));
  for (LONG i = nLower; i <= nUpper; ++i) {
    VariantHolder v;
    if (vtElement == VT_VARIANT) {
      Check(SafeArrayGetElement(psa, &i, v.get()));
    } else {
      // The element lands in the VARIANT's value, which then owns it (BSTR, IDispatch).
      void* p = &V_UI1(v.get());
      Check(SafeArrayGetElement(psa, &i, p));
      V_VT(v.get()) = vtElement;
    }
    items.push_back(FromVariant(v.ref()));
  }
  return host::Variant::Array(std::move(items), nLower, HostElementType(vtElement));
}

}  // namespace

void ToVariant(const host::Variant& v, VARIANT* pOut) {
  VariantInit(pOut);
  if (v.IsArray()) {
    const auto& a = v.ToArray();
    SAFEARRAY* psa = ToSafeArray(a);
    V_VT(pOut) = static_cast<VARTYPE>(VT_ARRAY | ElementVarType(a.eElementType));
    V_ARRAY(pOut) = psa;
    return;
  }
  switch (v.Type()) {
    case host::vbEmpty: return;
    case host::vbNull: V_VT(pOut) = VT_NULL; return;
    case host::vbInteger:
      V_VT(pOut) = VT_I2;
      V_I2(pOut) = v.ToInteger();
      return;
    case host::vbLong:
      V_VT(pOut) = VT_I4;
      V_I4(pOut) = v.ToLong();
      return;
    case host::vbSingle:
      V_VT(pOut) = VT_R4;
      V_R4(pOut) = static_cast<float>(v.ToDouble());
      return;
    case host::vbDouble:
      V_VT(pOut) = VT_R8;
      V_R8(pOut) = v.ToDouble();
      return;
    case host::vbDate:
      V_VT(pOut) = VT_DATE;
      V_DATE(pOut) = v.ToDouble();
      return;
    case host::vbString:
      V_BSTR(pOut) = ToBstr(v.ToString());
      V_VT(pOut) = VT_BSTR;
      return;
    case host::vbObject:
      V_DISPATCH(pOut) = ExposeObject(v.ToObject());
      V_VT(pOut) = VT_DISPATCH;
      return;
    case host::vbBoolean:
      V_VT(pOut) = VT_BOOL;
      V_BOOL(pOut) = v.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case host::vbByte:
      V_VT(pOut) = VT_UI1;
      V_UI1(pOut) = static_cast<BYTE>(v.ToLong());
      return;
    default: host::Raise(host::err::TypeMismatch);
  }
}

host::Variant FromVariant(const VARIANT& vIn) {
  const VARIANT* p = &vIn;
  if (V_VT(p) == (VT_BYREF | VT_VARIANT)) {
    p = V_VARIANTREF(p);
    if (!p) return {};
  }
  VARTYPE vt = V_VT(p);
  if (vt & VT_ARRAY) {
    SAFEARRAY* psa = (vt & VT_BYREF) ? (V_ARRAYREF(p) ? *V_ARRAYREF(p) : nullptr) : V_ARRAY(p);
    return FromSafeArray(psa, static_cast<VARTYPE>(vt & VT_TYPEMASK));
  }
  if (vt & VT_BYREF) {
    // Copy the referenced value into a plain VARIANT of its type.
    VariantHolder v;
    Check(VariantCopyInd(v.get(), const_cast<VARIANT*>(p)));
    return FromVariant(v.ref());
  }
  switch (vt) {
    case VT_EMPTY: return {};
    case VT_NULL: return host::Variant::Null();
    case VT_I2: return host::Variant(static_cast<int16_t>(V_I2(p)));
    case VT_I4: return host::Variant(static_cast<int32_t>(V_I4(p)));
    case VT_INT: return host::Variant(static_cast<int32_t>(V_INT(p)));
    case VT_I1: return host::Variant(static_cast<int16_t>(V_I1(p)));
    case VT_UI2: return host::Variant(static_cast<int32_t>(V_UI2(p)));
    case VT_R4: return host::Variant(V_R4(p));
    case VT_R8: return host::Variant(V_R8(p));
    case VT_DATE: return host::Variant::Date(V_DATE(p));
    case VT_BSTR: return host::Variant(FromBstr(V_BSTR(p)));
    case VT_BOOL: return host::Variant(V_BOOL(p) != VARIANT_FALSE);
    case VT_UI1: return host::Variant(static_cast<uint8_t>(V_UI1(p)));
    case VT_DISPATCH: return host::Variant(AdoptDispatch(V_DISPATCH(p)));
    case VT_UNKNOWN: {
      if (!V_UNKNOWN(p)) return host::Variant(std::shared_ptr<host::Object>());
      ComPtr<IDispatch> pDisp;
      if (FAILED(V_UNKNOWN(p)->QueryInterface(IID_IDispatch, pDisp.put_void())))
        host::Raise(host::err::TypeMismatch, "the object does not support late binding");
      return host::Variant(AdoptDispatch(pDisp.get()));
    }
    case VT_ERROR:
      if (V_ERROR(p) == DISP_E_PARAMNOTFOUND) return {};
      return host::Variant(static_cast<int32_t>(V_ERROR(p)));
    default: {
      // Unsigned and 64-bit integers, currency and decimals: a Double, or a Long when it fits.
      VariantHolder v;
      if (FAILED(VariantChangeType(v.get(), const_cast<VARIANT*>(p), 0, VT_R8)))
        host::Raise(host::err::TypeMismatch);
      double d = V_R8(v.get());
      if (std::floor(d) == d && d >= -2147483648.0 && d <= 2147483647.0)
        return host::Variant(static_cast<int32_t>(d));
      return host::Variant(d);
    }
  }
}

void AssignByRef(const VARIANT& target, const host::Variant& v) {
  VARTYPE vt = V_VT(&target);
  if (!(vt & VT_BYREF)) return;
  if (vt == (VT_BYREF | VT_VARIANT)) {
    VARIANT* pTarget = V_VARIANTREF(&target);
    if (!pTarget) return;
    VARIANT vNew;
    ToVariant(v, &vNew);
    VariantClear(pTarget);
    *pTarget = vNew;  // takes over vNew's contents
    return;
  }
  VARTYPE vtPlain = static_cast<VARTYPE>(vt & ~VT_BYREF);
  VariantHolder vNew(v);
  if (FAILED(VariantChangeType(vNew.get(), vNew.get(), 0, vtPlain))) host::Raise(host::err::TypeMismatch);
  VARIANT* pNew = vNew.get();
  switch (vtPlain) {
    case VT_I2: *V_I2REF(&target) = V_I2(pNew); break;
    case VT_I4: *V_I4REF(&target) = V_I4(pNew); break;
    case VT_R4: *V_R4REF(&target) = V_R4(pNew); break;
    case VT_R8: *V_R8REF(&target) = V_R8(pNew); break;
    case VT_DATE: *V_DATEREF(&target) = V_DATE(pNew); break;
    case VT_BOOL: *V_BOOLREF(&target) = V_BOOL(pNew); break;
    case VT_UI1: *V_UI1REF(&target) = V_UI1(pNew); break;
    case VT_BSTR:
      SysFreeString(*V_BSTRREF(&target));
      *V_BSTRREF(&target) = V_BSTR(pNew);
      V_VT(pNew) = VT_EMPTY;  // the target owns the string now
      break;
    case VT_DISPATCH:
      if (*V_DISPATCHREF(&target)) (*V_DISPATCHREF(&target))->Release();
      *V_DISPATCHREF(&target) = V_DISPATCH(pNew);
      V_VT(pNew) = VT_EMPTY;
      break;
    default: host::Raise(host::err::TypeMismatch);
  }
}

}  // namespace com
