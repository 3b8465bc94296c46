#include "addin/Connect.h"

#include "commands/CExplorerMenu.h"
#include "common/mGlobals.h"
#include "feedback/CMailItemWrapperColl.h"
#include "feedback/frmProgress.h"
#include "settings/frmOptions.h"

using mGlobals::Trace;
using mGlobals::TraceError;

std::shared_ptr<Connect> g_oConnect;

void RegisterQuilloAddin() {
  host::ObjectRegistry::Instance().Register(addin_registration::kProgId,
                                            [] { return std::make_shared<Connect>(); });
}

void Connect::AddinInstance_OnConnection(const std::shared_ptr<host::Object>& Application, int32_t,
                                         const std::shared_ptr<host::Object>&, host::Variant&) {
  try {
    g_oConnect = std::static_pointer_cast<Connect>(shared_from_this());
    g_oApp = host::As<host::Application>(Application);
    // No explorer is touched here: menus are built once Outlook has finished starting.
    Trace("Connect::AddinInstance_OnConnection", "->OK", 1);
  } catch (...) {
    TraceError("Connect::AddinInstance_OnConnection");
    host::IgnoreErrors([&] { Done(true); });
  }
}

void Connect::AddinInstance_OnStartupComplete(host::Variant&) {
  auto pSelf = weak_from_this().lock();  // a failed Init shuts down and releases g_oConnect
  Trace("Connect::AddinInstance_OnStartupComplete", "->", 3);
  host::IgnoreErrors([&] {
    m_vecExplorersEvents.clear();
    m_oExplorers = std::make_shared<CExplorersWrapper>();
    std::weak_ptr<host::Object> wSelf = weak_from_this();
    auto self = [wSelf]() -> Connect* {
      auto p = wSelf.lock();
      return p ? static_cast<Connect*>(p.get()) : nullptr;
    };
    m_vecExplorersEvents.push_back(m_oExplorers->OnExplorer.Connect(
        [self](std::shared_ptr<CExplorerWrapper> oExplorer, bool bFirstExplorer, bool bNewExplorer) {
          if (auto p = self()) p->m_oExplorers_OnExplorer(oExplorer, bFirstExplorer, bNewExplorer);
        }));
    m_vecExplorersEvents.push_back(m_oExplorers->OnCloseAllExplorers.Connect([self] {
      if (auto p = self()) p->m_oExplorers_OnCloseAllExplorers();
    }));
    m_vecExplorersEvents.push_back(
        m_oExplorers->OnExplorerFolderSwitch.Connect([self](std::shared_ptr<CExplorerWrapper> oExplorer) {
          if (auto p = self()) p->m_oExplorers_OnExplorerFolderSwitch(oExplorer);
        }));
  });
  host::IgnoreErrors([&] {
    // Hold the wrapper: a failed first Init releases m_oExplorers while it is still looping.
    auto oExplorers = m_oExplorers;
    host::Deref(oExplorers).Init(host::Deref(g_oApp).Explorers());
  });
}

void Connect::m_oExplorers_OnExplorer(const std::shared_ptr<CExplorerWrapper>& oExplorer, bool bFirstExplorer,
                                      bool) {
  auto pSelf = weak_from_this().lock();
  try {
    Trace("Connect::m_oExplorers_OnExplorer", "->", 3);
    if (bFirstExplorer) {
      if (!Init(oExplorer)) Done(true);
    } else {
      AddMenu(oExplorer);
    }
  } catch (...) {
    TraceError("Connect::m_oExplorers_OnExplorer");
  }
}

bool Connect::Init(const std::shared_ptr<CExplorerWrapper>& oExplorer) {
  bool bResult = false;
  try {
    Trace("Connect::Init", "->", 3);
    AddMenu(oExplorer);
    bResult = true;
  } catch (...) {
    TraceError("Connect::Init");
  }
  return bResult;
}

void Connect::AddMenu(const std::shared_ptr<CExplorerWrapper>& oExplorer) {
  try {
    Trace("Connect::AddMenu", "->", 3);
    auto oMenu = std::make_shared<CExplorerMenu>();
    oMenu->Create(host::Deref(oExplorer).GetObject());
    // From here the wrapper's collection holds the only reference.
    oExplorer->AddAssociatedObject(oMenu, "Menu");
  } catch (...) {
    TraceError("Connect::AddMenu");
  }
}

void Connect::m_oExplorers_OnExplorerFolderSwitch(const std::shared_ptr<CExplorerWrapper>& oExplorer) {
  try {
    Trace("Connect::m_oExplorers_OnExplorerFolderSwitch", "->", 3);
    auto oMenu = host::As<CExplorerMenu>(host::Deref(oExplorer).GetAssociatedObject("Menu"));
    auto oFolder = host::Deref(oExplorer->GetObject()).CurrentFolder();
    host::Deref(oMenu).OnFolderSwitch(oFolder);
  } catch (...) {
    TraceError("Connect::m_oExplorers_OnExplorerFolderSwitch");
  }
}

void Connect::m_oExplorers_OnCloseAllExplorers() {
  Trace("Connect::m_oExplorers_OnCloseAllExplorers", "->", 3);
  Done(false);
}

void Connect::AddinInstance_OnBeginShutdown(host::Variant&) {
  Trace("Connect::AddinInstance_OnBeginShutdown", "->", 3);
  host::IgnoreErrors([&] { Done(true); });
}

void Connect::AddinInstance_OnDisconnection(int32_t, host::Variant&) {
  Trace("Connect::AddinInstance_OnDisconnection", "->", 3);
  host::IgnoreErrors([&] { Done(true); });
}

void Connect::UnloadDialogs() {
  // A plain unload of each: a form that is not loaded is left alone, and the progress window
  // refuses while a command holds it open.
  host::IgnoreErrors([] {
    if (g_frmOptions.IsCreated()) g_frmOptions->Unload();
  });
  host::IgnoreErrors([] {
    if (g_frmProgress.IsCreated()) g_frmProgress->Unload();
  });
}

void Connect::Done(bool bFull) {
  // Releasing g_oConnect below may drop the last reference to this object.
  auto pSelf = weak_from_this().lock();
  host::IgnoreErrors([&] { Trace("Connect::Done", bFull ? "mode = full" : "mode = wait new explorer", 3); });
  host::IgnoreErrors([&] { UnloadDialogs(); });
  if (bFull) {
    // Every wrapper releases its command set (which stores its settings), then the wrapper
    // stops listening to Outlook's Explorers collection.
    host::IgnoreErrors([&] { host::Deref(m_oExplorers).Done(true); });
    host::IgnoreErrors([&] {
      m_vecExplorersEvents.clear();
      m_oExplorers.reset();
    });
    host::IgnoreErrors([&] { g_oConnect.reset(); });
    host::IgnoreErrors([&] { g_oApp.reset(); });
    // The add-in unloads after this: the composed mails are no longer followed.
    host::IgnoreErrors([] { g_colMailWrappers.Reset(); });
  } else {
    host::IgnoreErrors([&] { host::Deref(m_oExplorers).Done(false); });
  }
}
