// An owning COM interface pointer: AddRef on copy, Release on reset. Every interface the COM
// layer keeps lives in one of these, so no path forgets a Release.
#pragma once

#include <unknwn.h>

#include <utility>

namespace com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* p) : m_p(p) {  // NOLINT: adopting a raw pointer AddRefs, as a copy would
    if (m_p) m_p->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
  ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Takes over a reference the caller already owns (an out-parameter's).
  static ComPtr Attach(T* p) {
    ComPtr o;
    o.m_p = p;
    return o;
  }
  T* Detach() noexcept { return std::exchange(m_p, nullptr); }

  void reset() noexcept {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  T* get() const noexcept { return m_p; }
  T* operator->() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }
  // For out-parameters: releases what is held first.
  T** put() noexcept {
    reset();
    return &m_p;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  template <class U>
  ComPtr<U> As(REFIID riid) const {
    ComPtr<U> o;
    if (m_p) m_p->QueryInterface(riid, o.put_void());
    return o;
  }

 private:
  T* m_p = nullptr;
};

}  // namespace com
