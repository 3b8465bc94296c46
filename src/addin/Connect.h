// The add-in's connection class: Outlook loads it, raises the four add-in events on it, and
// from then on the add-in works only through Outlook's events. It owns the explorer tracking
// and gives every usable explorer its command set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "addin/CExplorersWrapper.h"
#include "host/Office.h"

// What Outlook reads to load the add-in.
namespace addin_registration {
constexpr const char* kProgId = "Quillo.Connect";
constexpr const char* kDisplayName = "Quillo";
constexpr const char* kDescription =
    "Add-on for Microsoft\xC2\xAE Office Outlook\xC2\xAE 2000, 2002, 2003\r\n"
    "Adds new abilities for task, mail and contact items";
constexpr int32_t kLoadBehavior = 3;
constexpr const char* kHostAddinsKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\Addins";
}  // namespace addin_registration

class Connect : public host::AddIn {
 public:
  ~Connect() override = default;
  std::string TypeName() const override { return "Connect"; }

  // The add-in designer interface, as Outlook calls it.
  void OnConnection(const std::shared_ptr<host::Object>& Application, int32_t ConnectMode,
                    const std::shared_ptr<host::Object>& AddInInst, host::Variant& custom) override {
    AddinInstance_OnConnection(Application, ConnectMode, AddInInst, custom);
  }
  void OnStartupComplete(host::Variant& custom) override { AddinInstance_OnStartupComplete(custom); }
  void OnBeginShutdown(host::Variant& custom) override { AddinInstance_OnBeginShutdown(custom); }
  void OnDisconnection(int32_t RemoveMode, host::Variant& custom) override {
    AddinInstance_OnDisconnection(RemoveMode, custom);
  }

  void AddinInstance_OnConnection(const std::shared_ptr<host::Object>& Application, int32_t ConnectMode,
                                  const std::shared_ptr<host::Object>& AddInInst, host::Variant& custom);
  void AddinInstance_OnStartupComplete(host::Variant& custom);
  void AddinInstance_OnBeginShutdown(host::Variant& custom);
  void AddinInstance_OnDisconnection(int32_t RemoveMode, host::Variant& custom);

  // First-explorer initialisation; True on success.
  bool Init(const std::shared_ptr<CExplorerWrapper>& oExplorer);
  // bFull True: shut down fully; False: release every command set but wait for a new explorer.
  void Done(bool bFull);
  // Friend accessor for the explorer wrappers' event routing.
  std::shared_ptr<CExplorersWrapper> GetExplorers() { return m_oExplorers; }

 protected:
  // Virtual only so that tests can make the command set fail to build.
  virtual void AddMenu(const std::shared_ptr<CExplorerWrapper>& oExplorer);

 private:
  void m_oExplorers_OnExplorer(const std::shared_ptr<CExplorerWrapper>& oExplorer, bool bFirstExplorer,
                               bool bNewExplorer);
  void m_oExplorers_OnCloseAllExplorers();
  void m_oExplorers_OnExplorerFolderSwitch(const std::shared_ptr<CExplorerWrapper>& oExplorer);
  void UnloadDialogs();

  std::shared_ptr<CExplorersWrapper> m_oExplorers;
  std::vector<host::Connection> m_vecExplorersEvents;  // released with m_oExplorers
};

// The Connect instance Outlook loaded; Nothing outside a connection.
extern std::shared_ptr<Connect> g_oConnect;

// Makes "Quillo.Connect" creatable by ProgID in this process.
void RegisterQuilloAddin();
