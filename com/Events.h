// Connection points. Servers of ours are event sources: one CConnectionPoint per event
// interface, holding the sinks advised to it. Clients listen through a sink that an owning
// handle, SinkConnection, advises and unadvises: the sink is gone when the handle is, and a
// sink that was unadvised ignores calls that still arrive.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "com/ComPtr.h"
#include "com/DispatchServer.h"

namespace com {

class CConnectionPoint final : public ComObject<IConnectionPoint> {
 public:
  CConnectionPoint(IConnectionPointContainer* pContainer, const IID& iid);
  // The container is going: no more sinks, and no way back to it.
  void Close();
  const IID& Iid() const { return m_iid; }
  // The sinks advised now, each kept alive for the caller.
  std::vector<ComPtr<IDispatch>> Sinks() const;

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** pp) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** pp) override;

 private:
  ~CConnectionPoint() override = default;
  bool Answers(REFIID riid) const override { return riid == IID_IConnectionPoint; }

  IConnectionPointContainer* m_pContainer;  // not owned: the container owns this point
  IID m_iid;
  DWORD m_nNextCookie = 1;
  std::map<DWORD, ComPtr<IDispatch>> m_mapSinks;
};

// One event handler; the event's arguments come in declaration order, by-reference ones
// writable through Args::Set.
using EventHandler = std::function<void(const Args& a)>;

class SinkConnection {
 public:
  SinkConnection() = default;
  SinkConnection(const SinkConnection&) = delete;
  SinkConnection& operator=(const SinkConnection&) = delete;
  SinkConnection(SinkConnection&& o) noexcept;
  SinkConnection& operator=(SinkConnection&& o) noexcept;
  ~SinkConnection() { reset(); }

  void reset() noexcept;
  bool connected() const { return static_cast<bool>(m_pPoint); }

 private:
  friend SinkConnection Advise(IUnknown* pSource, const IID& diid, std::map<DISPID, EventHandler> handlers);
  ComPtr<IConnectionPoint> m_pPoint;
  DWORD m_nCookie = 0;
  ComPtr<IDispatch> m_pSink;
};

// Listens to the source's event interface diid; host::Error when the source has no such
// connection point or refuses the sink.
SinkConnection Advise(IUnknown* pSource, const IID& diid, std::map<DISPID, EventHandler> handlers);

}  // namespace com
