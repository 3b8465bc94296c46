#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/Error.h"
#include "host/Event.h"

using host::Connection;
using host::Event;

namespace {

TEST(Event, RaisesToHandlersInConnectionOrderWithArguments) {
  Event<int, const std::string&> ev;
  std::vector<std::string> calls;
  Connection c1 =
      ev.Connect([&](int n, const std::string& s) { calls.push_back("a" + std::to_string(n) + s); });
  Connection c2 =
      ev.Connect([&](int n, const std::string& s) { calls.push_back("b" + std::to_string(n) + s); });
  ev.Raise(1, std::string("x"));
  EXPECT_EQ(calls, (std::vector<std::string>{"a1x", "b1x"}));
  EXPECT_EQ(ev.HandlerCount(), 2u);
}

TEST(Event, CancelStyleArgumentIsSeenByTheRaiser) {
  Event<bool&> ev;
  Connection c1 = ev.Connect([](bool& bCancel) { bCancel = true; });
  bool bSeenByLater = false;
  Connection c2 = ev.Connect([&](bool& bCancel) { bSeenByLater = bCancel; });
  bool bCancel = false;
  ev.Raise(bCancel);
  EXPECT_TRUE(bCancel);
  EXPECT_TRUE(bSeenByLater);
}

TEST(Event, ConnectionDisconnectsOnResetAndDestruction) {
  Event<> ev;
  int nCalls = 0;
  {
    Connection c = ev.Connect([&] { ++nCalls; });
    EXPECT_TRUE(c.connected());
    ev.Raise();
  }
  ev.Raise();
  EXPECT_EQ(nCalls, 1);
  EXPECT_EQ(ev.HandlerCount(), 0u);

  Connection c = ev.Connect([&] { ++nCalls; });
  c.reset();
  EXPECT_FALSE(c.connected());
  c.reset();  // a second reset is harmless
  ev.Raise();
  EXPECT_EQ(nCalls, 1);
}

TEST(Event, AnEventNobodyListensToRaisesNothingAndConnectsLater) {
  bool bCancel = false;
  {
    Event<bool&> ev;
    ev.Raise(bCancel);
    ev.RaiseEach([] {}, bCancel);
    EXPECT_EQ(ev.HandlerCount(), 0u);
  }  // destroyed without ever having a handler
  Event<bool&> ev;
  ev.Raise(bCancel);
  Connection c = ev.Connect([](bool& b) { b = true; });
  ev.Raise(bCancel);
  EXPECT_TRUE(bCancel);
  EXPECT_EQ(ev.HandlerCount(), 1u);
}

TEST(Event, ConnectionMoveTransfersTheSubscription) {
  Event<> ev;
  int nA = 0, nB = 0;
  Connection cA = ev.Connect([&] { ++nA; });
  Connection cMoved(std::move(cA));
  EXPECT_FALSE(cA.connected());  // NOLINT(bugprone-use-after-move): moved-from is empty
  EXPECT_TRUE(cMoved.connected());
  cA.reset();  // resetting the empty source disconnects nothing
  ev.Raise();
  EXPECT_EQ(nA, 1);

  // Assigning over a live connection disconnects the old handler first.
  Connection cB = ev.Connect([&] { ++nB; });
  cMoved = std::move(cB);
  ev.Raise();
  EXPECT_EQ(nA, 1);
  EXPECT_EQ(nB, 1);
  EXPECT_EQ(ev.HandlerCount(), 1u);

  // Self-assignment keeps the subscription.
  Connection& rSelf = cMoved;
  cMoved = std::move(rSelf);
  ev.Raise();
  EXPECT_EQ(nB, 2);

  // A connection kept in a container stays live when the container grows.
  std::vector<Connection> vec;
  int nC = 0;
  for (int i = 0; i < 10; ++i) vec.push_back(ev.Connect([&] { ++nC; }));
  ev.Raise();
  EXPECT_EQ(nC, 10);
  vec.clear();
  ev.Raise();
  EXPECT_EQ(nC, 10);
}

TEST(Event, HandlersMayChangeTheSubscriptionsDuringARaise) {
  Event<> ev;
  std::vector<std::string> calls;
  Connection cSelf, cLater, cNew;
  cSelf = ev.Connect([&] {
    calls.push_back("self");
    cSelf.reset();
  });
  Connection cChanger = ev.Connect([&] {
    calls.push_back("changer");
    cLater.reset();
    if (!cNew.connected()) cNew = ev.Connect([&] { calls.push_back("new"); });
  });
  cLater = ev.Connect([&] { calls.push_back("later"); });

  // "later" is disconnected before its turn; "new" joins but waits for the next raise.
  ev.Raise();
  EXPECT_EQ(calls, (std::vector<std::string>{"self", "changer"}));

  calls.clear();
  ev.Raise();
  EXPECT_EQ(calls, (std::vector<std::string>{"changer", "new"}));
  EXPECT_EQ(ev.HandlerCount(), 2u);
}

TEST(Event, HandlerDisconnectingItselfFinishesItsOwnCall) {
  Event<int> ev;
  std::vector<int> seen;
  Connection c;
  std::string sCaptured = "still alive";
  c = ev.Connect([&, sCaptured](int n) {
    c.reset();
    // The handler's own captures must survive its disconnection.
    seen.push_back(n + static_cast<int>(sCaptured.size()));
  });
  Connection cOther = ev.Connect([&](int n) { seen.push_back(n); });
  ev.Raise(1);
  ev.Raise(2);
  EXPECT_EQ(seen, (std::vector<int>{12, 1, 2}));
}

struct COwner {
  Event<> OnClose;
  std::vector<Connection> connections;
};

TEST(Event, OwnerDestroyedDuringRaise) {
  auto pOwner = std::make_unique<COwner>();
  int nAfter = 0;
  pOwner->connections.push_back(pOwner->OnClose.Connect([&] { pOwner.reset(); }));
  // Connected elsewhere, so its connection outlives the event.
  Connection cOutside = pOwner->OnClose.Connect([&] { ++nAfter; });
  pOwner->OnClose.Raise();
  EXPECT_FALSE(pOwner);
  EXPECT_EQ(nAfter, 0);  // handlers of a destroyed event are not called any more
  cOutside.reset();      // disconnecting from a destroyed event is harmless
  EXPECT_FALSE(cOutside.connected());
}

TEST(Event, NestedRaiseFromAHandler) {
  Event<int> ev;
  std::vector<int> seen;
  Connection c = ev.Connect([&](int n) {
    seen.push_back(n);
    if (n < 3) ev.Raise(n + 1);
  });
  ev.Raise(1);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

TEST(Event, HandlerErrorReachesTheRaiser) {
  Event<> ev;
  int nLater = 0;
  Connection c1 = ev.Connect([] { host::Raise(5); });
  Connection c2 = ev.Connect([&] { ++nLater; });
  EXPECT_THROW(ev.Raise(), host::Error);
  EXPECT_EQ(nLater, 0);
  c1.reset();
  ev.Raise();
  EXPECT_EQ(nLater, 1);
}

}  // namespace

TEST(EventRaiseEach, AFailingHandlerDoesNotKeepTheOthersFromTheEvent) {
  host::Event<int> ev;
  std::vector<int> vecSeen;
  std::vector<int32_t> vecErrors;
  auto c1 = ev.Connect([&](int n) { vecSeen.push_back(n); });
  auto c2 = ev.Connect([&](int) { host::Raise(host::err::E_FAIL, "first sink failed"); });
  auto c3 = ev.Connect([&](int n) { vecSeen.push_back(n * 10); });
  ev.RaiseEach([&] { vecErrors.push_back(host::CurrentError().nNumber); }, 7);
  EXPECT_EQ(vecSeen, (std::vector<int>{7, 70}));
  EXPECT_EQ(vecErrors, std::vector<int32_t>{host::err::E_FAIL});
}

namespace {

TEST(EventListening, TheOwnerIsToldOfTheFirstHandlerAndOfTheLastGoing) {
  auto pEvent = std::make_unique<Event<>>();
  std::vector<bool> vecTold;
  pEvent->SetOnListening([&](bool b) { vecTold.push_back(b); });
  Connection c1 = pEvent->Connect([] {});
  Connection c2 = pEvent->Connect([] {});
  c1.reset();
  EXPECT_EQ(vecTold, std::vector<bool>{true});
  // The last handler leaving from inside the raise.
  Connection* pSelf = &c2;
  c2 = pEvent->Connect([&] { pSelf->reset(); });
  pEvent->Raise();
  EXPECT_EQ(vecTold, (std::vector<bool>{true, false}));
  // Listening again, then the event goes first: its owner is not told any more.
  Connection c3 = pEvent->Connect([] {});
  pEvent.reset();
  c3.reset();
  EXPECT_EQ(vecTold, (std::vector<bool>{true, false, true}));
}

// One mail carries a tracker per recipient: thousands of handlers on one event, which go one
// by one (each from its own handler, on Send) and in any order.
TEST(EventListening, ManyHandlersGoingOneByOneKeepTheRestAndTheirOrder) {
  Event<int&> ev;
  std::vector<bool> vecListening;
  ev.SetOnListening([&](bool b) { vecListening.push_back(b); });
  constexpr int kHandlers = 200;
  std::vector<Connection> vecConnections;
  std::vector<int> vecCalled;
  for (int i = 0; i < kHandlers; ++i)
    vecConnections.push_back(ev.Connect([&vecCalled, i](int&) { vecCalled.push_back(i); }));
  // Every third from the front, then every other from the back.
  for (int i = 0; i < kHandlers; i += 3) vecConnections[static_cast<size_t>(i)].reset();
  for (int i = kHandlers - 1; i >= 0; i -= 2) vecConnections[static_cast<size_t>(i)].reset();
  std::vector<int> vecExpected;
  for (int i = 0; i < kHandlers; ++i)
    if (i % 3 != 0 && i % 2 == 0) vecExpected.push_back(i);
  EXPECT_EQ(ev.HandlerCount(), vecExpected.size());
  int n = 0;
  ev.Raise(n);
  EXPECT_EQ(vecCalled, vecExpected);
  EXPECT_EQ(vecListening, (std::vector<bool>{true}));

  // Each remaining handler disconnects itself when called: all are called once, then none.
  std::vector<Connection> vecSelf(kHandlers);
  int nCalls = 0;
  for (int i = 0; i < kHandlers; ++i)
    vecSelf[static_cast<size_t>(i)] = ev.Connect([&, i](int&) {
      ++nCalls;
      vecSelf[static_cast<size_t>(i)].reset();
    });
  vecConnections.clear();
  vecCalled.clear();
  ev.Raise(n);
  EXPECT_EQ(nCalls, kHandlers);
  EXPECT_TRUE(vecCalled.empty());
  EXPECT_EQ(ev.HandlerCount(), 0u);
  EXPECT_EQ(vecListening, (std::vector<bool>{true, false}));
  ev.Raise(n);
  EXPECT_EQ(nCalls, kHandlers);
}

}  // namespace
