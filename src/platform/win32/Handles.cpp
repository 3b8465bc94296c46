#include "platform/win32/Handles.h"

#include <map>
#include <memory>
#include <string>

namespace platform::win32 {

ModuleWindowClass::~ModuleWindowClass() {
  UnregisterClassA(MAKEINTATOM(m_nAtom), m_hInstance);
}

bool ModuleWindowClass::Register(const WNDCLASSEXA& oClass) {
  // Destroyed with the module's other statics, after every window of ours has gone.
  static std::map<std::string, std::unique_ptr<ModuleWindowClass>> s_mapClasses;
  const std::string sName = oClass.lpszClassName;
  if (s_mapClasses.count(sName)) return true;
  const ATOM nAtom = RegisterClassExA(&oClass);
  if (!nAtom) return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  s_mapClasses[sName] = std::make_unique<ModuleWindowClass>(nAtom, oClass.hInstance);
  return true;
}

}  // namespace platform::win32
