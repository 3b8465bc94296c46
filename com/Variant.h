// VARIANT <-> host::Variant, in one place: every type the add-in passes, objects (our own
// objects go out as IDispatch servers and come back as themselves), by-reference arguments and
// one-dimensional arrays as SAFEARRAY.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include "host/Variant.h"

namespace com {

// Fills a VARIANT the caller has not initialised; the caller owns it (VariantClear).
void ToVariant(const host::Variant& v, VARIANT* pOut);
// Reads a VARIANT, looking through VT_BYREF. A missing optional argument (VT_ERROR with
// DISP_E_PARAMNOTFOUND) reads as Empty. Types Visual Basic lacks come as the nearest it has.
host::Variant FromVariant(const VARIANT& v);
// Writes a value back through a by-reference VARIANT, converted to the type it points to
// (13 when it does not convert). A VARIANT that is not by reference is left alone.
void AssignByRef(const VARIANT& target, const host::Variant& v);

// Owns one VARIANT.
class VariantHolder {
 public:
  VariantHolder() { VariantInit(&m_v); }
  explicit VariantHolder(const host::Variant& v) { ToVariant(v, &m_v); }
  VariantHolder(const VariantHolder&) = delete;
  VariantHolder& operator=(const VariantHolder&) = delete;
  ~VariantHolder() { VariantClear(&m_v); }
  VARIANT* get() { return &m_v; }
  const VARIANT& ref() const { return m_v; }

 private:
  VARIANT m_v;
};

}  // namespace com
