// Events of host objects. A subscription is a Connection object: destroying or resetting it
// disconnects, so a "field with events" is the object plus its connections, released together.
//
// Raise() calls the handlers from a copy of the subscriber list, so a handler may disconnect
// itself or others, connect new handlers (they are called from the next raise on), or destroy
// the object that owns the event; the raise finishes safely in every case.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace host {

class Connection {
 public:
  Connection() = default;
  explicit Connection(std::function<void()> fnDisconnect) : m_fnDisconnect(std::move(fnDisconnect)) {}
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Connection(Connection&& o) noexcept : m_fnDisconnect(std::exchange(o.m_fnDisconnect, nullptr)) {}
  Connection& operator=(Connection&& o) noexcept {
    if (this != &o) {
      reset();
      m_fnDisconnect = std::exchange(o.m_fnDisconnect, nullptr);
    }
    return *this;
  }
  ~Connection() { reset(); }

  void reset() noexcept {
    if (auto fn = std::exchange(m_fnDisconnect, nullptr)) fn();
  }
  bool connected() const noexcept { return static_cast<bool>(m_fnDisconnect); }

 private:
  std::function<void()> m_fnDisconnect;
};

template <class... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;

  // The subscriber list is made when first needed: most host objects (every item the add-in
  // walks) are never listened to, and their events should cost nothing.
  Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  ~Event() {
    if (!m_pState) return;
    // Handlers still connected are simply never called again, and the owner is not told.
    for (auto& pSlot : m_pState->slots) pSlot->bConnected = false;
    m_pState->fnListening = nullptr;
  }

  // Told when the first handler connects (true) and when the last one has gone (false): an
  // owner that must itself ask to hear of the event (a COM binding advising a sink) does so
  // only while somebody listens.
  void SetOnListening(std::function<void(bool bListening)> fn) { EnsureState().fnListening = std::move(fn); }

  [[nodiscard]] Connection Connect(Handler fnHandler) {
    auto pSlot = std::make_shared<Slot>(Slot{std::move(fnHandler), true});
    State& oState = EnsureState();
    oState.slots.push_back(pSlot);
    if (++oState.nLive == 1 && oState.fnListening) {
      auto fn = oState.fnListening;  // may replace itself
      fn(true);
    }
    std::weak_ptr<State> wState = m_pState;
    std::weak_ptr<Slot> wSlot = pSlot;
    return Connection([wState, wSlot] {
      auto pSlot = wSlot.lock();
      if (!pSlot || !pSlot->bConnected) return;
      pSlot->bConnected = false;
      if (auto pState = wState.lock()) pState->Disconnected();
    });
  }

  // Exceptions from a handler pass to the raiser, as an error in a VB event handler would
  // reach the code that raised it; handlers the add-in owns trap their own errors.
  template <class... A>
  void Raise(A&&... args) const {
    std::shared_ptr<State> pState = m_pState;  // keeps the list alive if the owner goes away
    if (!pState) return;
    std::vector<std::shared_ptr<Slot>> copy = pState->slots;
    for (const auto& pSlot : copy)
      if (pSlot->bConnected) pSlot->fnHandler(args...);
  }

  // As a COM event source calls its sinks: each handler on its own, so one that fails does not
  // keep the others from their event. fnOnError runs inside the catch of each failure.
  template <class OnError, class... A>
  void RaiseEach(OnError&& fnOnError, A&&... args) const {
    std::shared_ptr<State> pState = m_pState;
    if (!pState) return;
    std::vector<std::shared_ptr<Slot>> copy = pState->slots;
    for (const auto& pSlot : copy) {
      if (!pSlot->bConnected) continue;
      try {
        pSlot->fnHandler(args...);
      } catch (...) {
        fnOnError();
      }
    }
  }

  size_t HandlerCount() const { return m_pState ? m_pState->nLive : 0; }

 private:
  struct Slot {
    Handler fnHandler;
    bool bConnected;
  };
  // A disconnected slot stays in the list until at least half the list is such slots, and is
  // then swept out with all the others: one mail may carry thousands of handlers (a tracker per
  // recipient), and disconnecting them one by one must not cost the whole list each time.
  struct State {
    std::vector<std::shared_ptr<Slot>> slots;
    size_t nLive = 0;
    std::function<void(bool)> fnListening;

    void Disconnected() {
      --nLive;
      if (slots.size() >= 16 && nLive * 2 < slots.size())
        std::erase_if(slots, [](const std::shared_ptr<Slot>& p) { return !p->bConnected; });
      if (nLive == 0) {
        slots.clear();
        if (fnListening) {
          auto fn = fnListening;
          fn(false);
        }
      }
    }
  };
  State& EnsureState() {
    if (!m_pState) m_pState = std::make_shared<State>();
    return *m_pState;
  }
  std::shared_ptr<State> m_pState;
};

}  // namespace host
