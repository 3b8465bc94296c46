#include "SimSession.h"

#include "addin/Connect.h"
#include "common/mGlobals.h"
#include "feedback/CMailItemWrapperColl.h"
#include "host/Tarvik.h"
#include "platform/Forms.h"

namespace app {

std::string OutlookVersionFromOption(const std::string& sOption) {
  if (sOption == "2000") return "9.0.0.2711";
  if (sOption == "2002") return "10.0.2627";
  if (sOption == "2003") return "11.0.5608";
  return sOption;
}

std::string SimSession::KindName(int32_t nKind) {
  switch (nKind) {
    case 1: return "debug";
    case 2: return "warning";
    case 3: return "error";
    default: return "kind " + std::to_string(nKind);
  }
}

std::string SimSession::FormatLine(const sim::LogLine& oLine) {
  const std::string sMessage = sim::OneLine(oLine.sMessage);
  std::string s =
      KindName(oLine.nKind) + " " + std::to_string(oLine.nLevel) + " | " + oLine.sSource + " | " + sMessage;
  if (oLine.nError != 0) s += " | error " + std::to_string(oLine.nError);
  return s;
}

void SimSession::NeedStarted() const {
  if (!m_bStarted) throw UsageError{"Outlook has not started yet (use 'start')"};
}

void SimSession::NeedConnected() const {
  if (!g_oApp) throw UsageError{"the add-in is not connected: use 'start' first"};
}

int SimSession::ExplorerNumber(const std::string& s) {
  const int n = ParseInt(s, "explorer number");
  if (n < 1 || n > Outlook().ExplorerCount())
    throw UsageError{"there is no explorer " + s +
                     " (open explorers: " + std::to_string(Outlook().ExplorerCount()) + ")"};
  return n;
}

SimSession::SimSession(std::shared_ptr<const sim::Profile> pProfile, const std::string& sVersion,
                       std::ostream& out)
    : m_out(out),
      m_pLoop(std::make_shared<platform::portable::VirtualLoop>()),
      m_pBoxes(std::make_shared<platform::portable::ScriptedBoxes>()),
      m_pOutlook(std::make_unique<sim::Outlook>(std::move(pProfile), sVersion)) {
  platform::SetLoop(m_pLoop);
  platform::SetBoxes(m_pBoxes);
  m_pBoxes->fnOnShown = [this](const platform::portable::ScriptedBoxes::Shown& oBox) {
    m_out << "  message box \"" << oBox.sTitle << "\" (buttons " << oBox.nButtons << "): " << oBox.sPrompt
          << " -> answered " << oBox.nAnswer << "\n";
  };
  host::BindTarvik(m_pOutlook->SupportLibrary());
  m_pOutlook->Faults().fnOnInjected = [this](const std::string& sMember) {
    m_out << "  fault injected: " << sMember << "\n";
  };
  m_pOutlook->SetOnEscaped([this](const std::string& sPlace, const host::ErrorInfo& oError) {
    ++m_nEscaped;
    m_out << "  " << EscapedLine(sPlace, oError) << "\n";
  });
  m_pOutlook->Support().fnOnLine = [this](const sim::LogLine& oLine) {
    if (m_bEchoLog) m_out << "  log " << FormatLine(oLine) << "\n";
  };
  RegisterQuilloAddin();
}

// A run that ends with Outlook still up ends as Outlook would: the add-in shuts down while the
// services it stores its settings and lines in are still there. Quietly: the script is over.
void SimSession::Finish() {
  if (fnCollectAddinLines) fnCollectAddinLines();
  if (m_bStarted && m_pOutlook->AddInConnected()) {
    m_bEchoLog = false;
    m_pOutlook->Quit();
  }
}

SimSession::~SimSession() {
  Finish();
  if (platform::HasFormsBackend()) platform::Forms().fnOnEscapedError = nullptr;
  host::BindTarvik(nullptr);
  // Trackers that no full shut-down ended (an add-in that stayed disconnected) go silently.
  g_colMailWrappers.Reset();
  m_pAddIn.reset();
}

std::string SimSession::EscapedLine(const std::string& sSource, const host::ErrorInfo& oError) {
  return "escaped: " + sSource + " " + std::to_string(oError.nNumber) + " " +
         sim::OneLine(oError.sDescription);
}

void SimSession::WatchFormsBackend() {
  platform::Forms().fnOnEscapedError = [this](const host::ErrorInfo& oError) {
    ++m_nEscaped;
    m_out << "  " << EscapedLine("forms", oError) << "\n";
  };
}

void SimSession::ShowEscapes() {
  const auto& vecErrors = m_pOutlook->EscapedErrors();
  const auto& vecPlaces = m_pOutlook->EscapedErrorPlaces();
  size_t nForms = platform::HasFormsBackend() ? platform::Forms().EscapedErrors().size() : 0;
  m_out << "Escaped errors: " << vecErrors.size() + nForms << "\n";
  for (size_t i = 0; i < vecErrors.size(); ++i)
    m_out << "  " << EscapedLine(i < vecPlaces.size() ? vecPlaces[i] : "?", vecErrors[i]) << "\n";
  if (nForms)
    for (const auto& oError : platform::Forms().EscapedErrors())
      m_out << "  " << EscapedLine("forms", oError) << "\n";
}

void SimSession::Start() {
  if (m_bStarted) throw UsageError{"Outlook has already started in this run"};
  m_pAddIn = fnCreateAddIn ? fnCreateAddIn() : host::CreateObject<host::AddIn>(addin_registration::kProgId);
  m_bStarted = true;
  m_pOutlook->Start(m_pAddIn);
}

}  // namespace app
