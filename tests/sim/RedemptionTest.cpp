// The simulated Redemption library: creatable only while installed, and contact e-mails as named
// properties whose entry IDs lead to address entries. (The recipient tests run the rest.)
#include <gtest/gtest.h>

#include "host/Redemption.h"
#include "host/Text.h"
#include "sim/EntryIds.h"
#include "sim/Model.h"
#include "sim/Outlook.h"
#include "sim/Redemption.h"
#include "sim/Session.h"
#include "support/ErrorOf.h"

namespace {

using testsupport::ErrorOf;

constexpr const char* PSETID_Address = "{00062004-0000-0000-C000-000000000046}";

std::unique_ptr<sim::Outlook> MakeOutlook(bool bRedemption) {
  sim::Profile oProfile = *sim::DemoProfile();
  oProfile.bRedemption = bRedemption;
  return std::make_unique<sim::Outlook>(sim::CheckProfile(std::move(oProfile)));
}

TEST(RedemptionTest, TheClassesExistWhileAnOutlookWithTheLibraryDoes) {
  auto pOutlook = MakeOutlook(false);
  EXPECT_EQ(ErrorOf([] { host::CreateObject(host::progid::MAPIUtils); }), host::err::CantCreateObject);
  // The new Outlook registers before the old one goes, which must not take the classes along.
  pOutlook = MakeOutlook(true);
  for (const char* s : {host::progid::SafeMailItem, host::progid::SafeAppointmentItem,
                        host::progid::SafeTaskItem, host::progid::SafeDistList, host::progid::MAPIUtils})
    EXPECT_NE(host::CreateObject(s), nullptr) << s;
  sim::SetRedemptionInstalled(pOutlook->SessionState(), false);
  EXPECT_EQ(ErrorOf([] { host::CreateObject(host::progid::SafeMailItem); }), host::err::CantCreateObject);
  sim::SetRedemptionInstalled(pOutlook->SessionState(), true);
  pOutlook.reset();
  EXPECT_FALSE(host::ObjectRegistry::Instance().IsRegistered(host::progid::SafeMailItem));
}

TEST(RedemptionTest, ContactEmailsAreNamedPropertiesWhoseEntryIDsLeadToAddressEntries) {
  auto pOutlook = MakeOutlook(true);
  auto oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
  auto oJuergen = pOutlook->ItemByID("0000000044454D4F1006");
  // &H8085 as Visual Basic passes it (a negative Integer), and as a Long.
  int32_t nTag = oUtils->GetIDsFromNames(oJuergen, PSETID_Address, host::Variant(int16_t(-32635)), false);
  ASSERT_NE(nTag, 0);
  EXPECT_EQ(oUtils->GetIDsFromNames(oJuergen, PSETID_Address, host::Variant(int32_t{0x8085}), false), nTag);
  EXPECT_EQ(oUtils->GetIDsFromNames(oJuergen, PSETID_Address, host::Variant(int32_t{0x8777}), false), 0);

  host::Variant vEntryID = oUtils->HrGetOneProp(oJuergen, nTag + host::tag::PT_BINARY);
  auto oEntry = oUtils->GetAddressEntryFromID(host::HexOfBytes(vEntryID.ToBytes()));
  EXPECT_EQ(oEntry->Fields(host::tag::PR_SMTP_ADDRESS).ToString(), "juergen.mueller@contoso.com");
  // Carla has only e-mail 2: e-mail 1's name is known to the store, her value is absent.
  auto oCarla = pOutlook->ItemByID("0000000044454D4F1003");
  EXPECT_EQ(ErrorOf([&] { oUtils->HrGetOneProp(oCarla, nTag + host::tag::PT_BINARY); }), sim::kErrNotFound);
  EXPECT_EQ(ErrorOf([&] { oUtils->GetAddressEntryFromID("0BAD"); }), sim::kErrNotFound);
}

TEST(RedemptionTest, AnItemsEntryIDPropertyIsItsEntryIDFromTheFirstSave) {
  auto pOutlook = MakeOutlook(true);
  auto oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
  auto oJuergen = pOutlook->ItemByID("0000000044454D4F1006");
  EXPECT_EQ(host::HexOfBytes(oUtils->HrGetOneProp(oJuergen, sim::prop::PR_ENTRYID).ToBytes()),
            "0000000044454D4F1006");
  EXPECT_EQ(oUtils->HrGetOneProp(oJuergen, sim::prop::PR_ENTRYID).Type(), host::vbArray + host::vbByte);

  auto oNew = pOutlook->Application()->CreateItem(host::olMailItem);
  EXPECT_EQ(ErrorOf([&] { oUtils->HrGetOneProp(oNew, sim::prop::PR_ENTRYID); }), sim::kErrNotFound);
  oNew->Save();
  EXPECT_EQ(host::HexOfBytes(oUtils->HrGetOneProp(oNew, sim::prop::PR_ENTRYID).ToBytes()), oNew->EntryID());
  // A value set through the library wins over the derived one.
  oUtils->HrSetOneProp(oNew, sim::prop::PR_ENTRYID, host::Variant::Bytes({0xAB}), false);
  EXPECT_EQ(host::HexOfBytes(oUtils->HrGetOneProp(oNew, sim::prop::PR_ENTRYID).ToBytes()), "AB");
}

TEST(RedemptionTest, TryHrGetOnePropAnswersAbsentWithoutAnErrorButStillFails) {
  auto pOutlook = MakeOutlook(true);
  auto oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
  auto oJuergen = pOutlook->ItemByID("0000000044454D4F1006");
  host::Variant v = 7;
  EXPECT_TRUE(oUtils->TryHrGetOneProp(oJuergen, sim::prop::PR_ENTRYID, v));
  EXPECT_EQ(host::HexOfBytes(v.ToBytes()), "0000000044454D4F1006");
  auto oNew = pOutlook->Application()->CreateItem(host::olMailItem);
  v = 7;
  EXPECT_FALSE(oUtils->TryHrGetOneProp(oNew, sim::prop::PR_ENTRYID, v));
  EXPECT_EQ(v.ToLong(), 7);  // untouched
  // It is the same member: it counts as one, and an injected fault still fails it.
  const int64_t nCalls = pOutlook->Faults().Calls("MAPIUtils.HrGetOneProp");
  pOutlook->Faults().FailNth("MAPIUtils.HrGetOneProp", 1);
  EXPECT_EQ(ErrorOf([&] { oUtils->TryHrGetOneProp(oJuergen, sim::prop::PR_ENTRYID, v); }), host::err::E_FAIL);
  EXPECT_EQ(pOutlook->Faults().Calls("MAPIUtils.HrGetOneProp"), nCalls + 1);
}

// A library that only raises (Redemption over COM): the default turns its not-found error, and
// only that one, into "absent".
TEST(RedemptionTest, TryHrGetOnePropOfARaisingLibraryKeepsOtherErrors) {
  class CRaising : public host::MAPIUtils {
   public:
    int32_t nError = 0;
    host::Variant HrGetOneProp(const std::shared_ptr<host::Object>&, int32_t nTag) override {
      if (nError != 0) host::Raise(nError);
      return nTag;
    }
    void HrSetOneProp(const std::shared_ptr<host::Object>&, int32_t, const host::Variant&, bool) override {}
    int32_t GetIDsFromNames(const std::shared_ptr<host::Object>&, const std::string&, const host::Variant&,
                            bool) override {
      return 0;
    }
    std::shared_ptr<host::SafeAddressEntry> GetAddressEntryFromID(const std::string&) override {
      return nullptr;
    }
  } oUtils;
  host::Variant v;
  EXPECT_TRUE(oUtils.TryHrGetOneProp(nullptr, 42, v));
  EXPECT_EQ(v.ToLong(), 42);
  oUtils.nError = host::MAPIUtils::kErrNotFound;
  EXPECT_FALSE(oUtils.TryHrGetOneProp(nullptr, 43, v));
  EXPECT_EQ(v.ToLong(), 42);
  oUtils.nError = host::err::E_FAIL;
  EXPECT_EQ(ErrorOf([&] { oUtils.TryHrGetOneProp(nullptr, 44, v); }), host::err::E_FAIL);
}

}  // namespace
