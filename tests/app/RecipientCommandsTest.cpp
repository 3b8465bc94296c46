// quillo-sim's recipient commands: how words become names and addresses, what resolve and item
// print, and the clear refusal before the add-in is connected.
#include <gtest/gtest.h>

#include "CoreCommands.h"
#include "RecipientCommands.h"
#include "feedback/frmProgress.h"
#include "platform/portable/FormsPortable.h"
#include "support/AppCommandsFixture.h"

namespace {

class RecipientCommandsTest : public AppCommandsFixture {
 protected:
  void SetUp() override {
    m_pPrevForms = platform::SetFormsBackend(std::make_shared<platform::portable::PortableForms>());
    AppCommandsFixture::SetUp();
    app::RegisterCoreCommands(m_oTable, m_pSession);
    app::RegisterRecipientCommands(m_oTable, m_pSession);
  }
  void TearDown() override {
    if (m_pSession->Started()) m_pSession->Outlook().Quit();
    EXPECT_TRUE(m_pSession->Outlook().EscapedErrors().empty());
    m_pSession.reset();
    g_frmProgress.Reset();
    platform::SetFormsBackend(m_pPrevForms);
  }

  std::shared_ptr<platform::FormsBackend> m_pPrevForms;
};

TEST_F(RecipientCommandsTest, BothCommandsNeedTheConnectedAddIn) {
  EXPECT_NE(Run("resolve Sales\n"), 0);
  EXPECT_NE(Run("item 0000000044454D4F0601\n"), 0);
  EXPECT_NE(m_err.str().find("the add-in is not connected: use 'start' first"), std::string::npos);
}

TEST_F(RecipientCommandsTest, ResolveAndItemPrintWhatTheAddInKeepsAndReads) {
  ASSERT_EQ(Run("start\n"
                "resolve --progress --id ID1 \"Jane <JANE@Example.com>\" j.doe@example.com --id - Sales\n"
                "log off\nitem 0000000044454D4F0511\nitem 0000000044454D4F0903\nitem --view 1\n"),
            0)
      << m_err.str();
  EXPECT_TRUE(
      Printed("add: name 'Jane', address 'JANE@Example.com', from ID1\n"
              "  add: name '', address 'j.doe@example.com', from ID1\n"
              "  add: name 'Sales', address ''\n"
              "  log warning 1 | CRecipients::AddRecipient | Using Name='Sales', ignoring invalid email=''"));
  EXPECT_TRUE(
      Printed("kept: 2 address(es), 1 name(s)\n    address JANE@Example.com  names: Jane  ids: ID1\n"));
  EXPECT_TRUE(Printed("log debug 2 | CRecipients::Resolve | Recipient(Email=\") 'Sales' not resolved"));
  EXPECT_TRUE(
      Printed("Resolve: True, canceled: False, 2 resolved\n"
              "    1  Jane <JANE@Example.com>  ids: ID1\n    2  j.doe@example.com  ids: ID1\n"));
  EXPECT_FALSE(g_frmProgress->IsLoaded());

  EXPECT_TRUE(
      Printed("  mail \"Season's greetings\" in \\Mailbox - Jane Doe\\Sent Items\\Sent 2003\n"
              "  received: False\n  replied: False\n  sender address: ''\n  recipients:\n"
              "    To  Jürgen Müller  juergen.mueller@contoso.com\n"));
  EXPECT_TRUE(
      Printed("    address bob.wilson@example.com  names: Bob Wilson  ids: -\n    name Eve Adams  ids: -\n"));
  EXPECT_TRUE(Printed("  view filter: '\"urn:schemas:httpmail:subject\" LIKE '%project%''\n"));
  EXPECT_NE(Run("item 0BAD\n"), 0);
}

}  // namespace
