// The Options dialog: the three exclusion settings of the options store as check boxes, saved on
// OK, dropped on Cancel, Esc or the close box, with a Help button that opens the dialog's help
// topic. One instance serves the whole add-in (g_frmOptions, created on first use); every Options
// button and menu entry opens it modally through ShowOptionsDialog.
#pragma once

#include <cstdint>

#include "host/Event.h"
#include "platform/Controls.h"
#include "settings/COptions.h"

class frmOptions : public platform::Form {
 public:
  frmOptions();

  // Declared in tab order: the form's tab stops follow the order of its controls.
  platform::Frame Frame1;
  platform::CheckBox chkExcludePrivateContacts;
  platform::CheckBox chkExcludeReplied;
  platform::CheckBox chkExcludeLinkItems;
  platform::Frame Frame2;
  platform::Label Label1;
  platform::Button btnOK;
  platform::Button btnCancel;
  platform::Button btnHelp;

 protected:
  void Form_Load() override;

 private:
  void btnOK_Click();
  void btnCancel_Click();
  void btnHelp_Click();

  host::Connection m_btnOK_Click;
  host::Connection m_btnCancel_Click;
  host::Connection m_btnHelp_Click;
};

extern constinit CAutoNew<frmOptions> g_frmOptions;

// Shows the Options dialog modally and returns once it has closed. Never raises an error: a
// dialog that cannot be shown leaves the settings as they were.
void ShowOptionsDialog();
