#include "settings/frmOptions.h"

#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Tarvik.h"
#include "host/Text.h"

constinit CAutoNew<frmOptions> g_frmOptions;

namespace {

constexpr const char* kHelpTopic = "Change_Quillo_Options.htm";

int16_t BoxValue(bool bSetting) {
  return bSetting ? platform::vbChecked : platform::vbUnchecked;
}

}  // namespace

frmOptions::frmOptions()
    : Form("frmOptions", "Quillo Options", 6510, 3525),
      Frame1(*this, "Frame1", {120, 120, 4695, 2055}, "Do not include the following items in Quillo List"),
      chkExcludePrivateContacts(*this, "chkExcludePrivateContacts", {240, 360, 4095, 255},
                                "Do not include Private contacts", &Frame1),
      chkExcludeReplied(*this, "chkExcludeReplied", {240, 840, 4095, 255},
                        "Do not include e-mail messages already replied", &Frame1),
      chkExcludeLinkItems(
          *this, "chkExcludeLinkItems", {240, 1320, 4215, 375},
          "Do not include items selected in \"Contacts...\" for tasks, meetings and appointments", &Frame1),
      Frame2(*this, "Frame2", {120, 2280, 4695, 1095}, "Note"),
      Label1(
          *this, "Label1", {240, 360, 4080, 555},
          "If an item has been selected in View manually,\nit will appear in this list regardless of these "
          "options.",
          &Frame2),
      btnOK(*this, "btnOK", {4920, 240, 1455, 375}, "OK"),
      btnCancel(*this, "btnCancel", {4920, 720, 1455, 375}, "Cancel"),
      btnHelp(*this, "btnHelp", {4920, 3000, 1455, 375}, "Help") {
  btnOK.SetDefault(true);
  btnCancel.SetCancel(true);
  m_btnOK_Click = btnOK.Click.Connect([this] { btnOK_Click(); });
  m_btnCancel_Click = btnCancel.Click.Connect([this] { btnCancel_Click(); });
  m_btnHelp_Click = btnHelp.Click.Connect([this] { btnHelp_Click(); });
}

void frmOptions::Form_Load() {
  // Each step on its own: a setting that cannot be read leaves its box as the default gave it.
  host::IgnoreErrors(
      [&] { SetIcon(platform::LoadPictureFile(host::Deref(g_oOptions->MAIN_ICON()).FileBytes())); });
  // Owned by the window the user opened it from (Outlook's): centred on it and above it, and,
  // being modal, that window takes no input until the dialog closes.
  host::IgnoreErrors([&] { SetOwner(platform::Forms().ForegroundWindow()); });
  host::IgnoreErrors([&] { chkExcludeLinkItems.SetValue(BoxValue(g_oOptions->ExcludeLinkItems())); });
  host::IgnoreErrors(
      [&] { chkExcludePrivateContacts.SetValue(BoxValue(g_oOptions->ExcludePrivateContacts())); });
  host::IgnoreErrors([&] { chkExcludeReplied.SetValue(BoxValue(g_oOptions->ExcludeReplied())); });
}

void frmOptions::btnOK_Click() {
  // A setting that cannot be written is skipped; the dialog closes all the same.
  host::IgnoreErrors(
      [&] { g_oOptions->ExcludeLinkItems(chkExcludeLinkItems.Value() == platform::vbChecked); });
  host::IgnoreErrors(
      [&] { g_oOptions->ExcludePrivateContacts(chkExcludePrivateContacts.Value() == platform::vbChecked); });
  host::IgnoreErrors([&] { g_oOptions->ExcludeReplied(chkExcludeReplied.Value() == platform::vbChecked); });
  host::IgnoreErrors([&] { Unload(); });
}

void frmOptions::btnCancel_Click() {
  host::IgnoreErrors([&] { Unload(); });
}

void frmOptions::btnHelp_Click() {
  // The help window is the support library's; its answer does not matter here.
  host::IgnoreErrors(
      [] { host::Tarvik().TarvikShowContextHelp(host::AddinModuleHandle(), host::Utf8ToAnsi(kHelpTopic)); });
}

void ShowOptionsDialog() {
  host::IgnoreErrors([] { g_frmOptions->Show(platform::vbModal); });
}
