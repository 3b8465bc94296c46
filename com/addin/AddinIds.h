// The add-in designer interface Office drives a COM add-in through, and the add-in's own class.
#pragma once

#include <windows.h>

#include <oaidl.h>

namespace com::addin {

// _IDTExtensibility2 of the "Microsoft Add-In Designer" type library: dual, every method returns
// an HRESULT, the custom arrays come as SAFEARRAY** marked [in].
// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID IID__IDTExtensibility2 = {
    0xb65ad801, 0xabaf, 0x11d0, {0xbb, 0x8b, 0x00, 0xa0, 0xc9, 0x0f, 0x27, 0x44}};

struct _IDTExtensibility2 : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, LONG ConnectMode,
                                                 IDispatch* AddInInst, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

constexpr DISPID kOnConnection = 1;
constexpr DISPID kOnDisconnection = 2;
constexpr DISPID kOnAddInsUpdate = 3;
constexpr DISPID kOnStartupComplete = 4;
constexpr DISPID kOnBeginShutdown = 5;

// The class "Quillo.Connect".
// {6E1F4C3A-8B27-4D9E-A5C1-2F7B9D04E611}
inline constexpr CLSID CLSID_QuilloConnect = {
    0x6e1f4c3a, 0x8b27, 0x4d9e, {0xa5, 0xc1, 0x2f, 0x7b, 0x9d, 0x04, 0xe6, 0x11}};

// The add-in's DLL, as programs that load it name it.
constexpr const char* kAddinDllName = "Quillo.dll";

}  // namespace com::addin
