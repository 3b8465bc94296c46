// A process-wide object created by its first use and kept until Reset ("As New").
#pragma once

#include <memory>

template <class T>
class CAutoNew {
 public:
  constexpr CAutoNew() = default;
  T* operator->() { return &Get(); }
  T& operator*() { return Get(); }
  T& Get() {
    if (!m_pObject) m_pObject = std::make_unique<T>();
    return *m_pObject;
  }
  bool IsCreated() const { return m_pObject != nullptr; }
  void Reset() { m_pObject.reset(); }

 private:
  std::unique_ptr<T> m_pObject;
};
