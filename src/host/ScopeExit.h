// Runs a piece of clean-up when the scope ends, however it ends (a return, an exception): the
// one way to undo a temporary change instead of a local struct with a destructor each time.
#pragma once

#include <utility>

namespace host {

template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F fn) : m_fn(std::move(fn)) {}
  ~ScopeExit() {
    if (m_bActive) m_fn();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  // The clean-up is no longer wanted.
  void Dismiss() { m_bActive = false; }

 private:
  F m_fn;
  bool m_bActive = true;
};

}  // namespace host
