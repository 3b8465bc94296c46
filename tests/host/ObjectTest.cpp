#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "host/Error.h"
#include "host/Object.h"
#include "support/ErrorOf.h"

namespace {

using testsupport::ErrorOf;

class CGadget : public host::Object {
 public:
  std::string TypeName() const override { return "CGadget"; }
};

class CGizmo : public host::Object {
 public:
  std::string TypeName() const override { return "CGizmo"; }
};

// Registers classes under test ProgIDs and removes them again, so tests leave the process's
// table as they found it.
class ObjectRegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* s : {"QuilloTest.Gadget", "QuilloTest.Null", "QuilloTest.Failing", "QuilloTest.Chain"})
      host::ObjectRegistry::Instance().Unregister(s);
  }
  host::ObjectRegistry& reg = host::ObjectRegistry::Instance();
};

TEST_F(ObjectRegistryTest, CreatesByProgIdWithoutRegardToCase) {
  int nCreated = 0;
  reg.Register("QuilloTest.Gadget", [&] {
    ++nCreated;
    return std::make_shared<CGadget>();
  });
  EXPECT_TRUE(reg.IsRegistered("quillotest.GADGET"));
  auto p1 = host::CreateObject("QUILLOTEST.gadget");
  auto p2 = host::CreateObject<CGadget>("QuilloTest.Gadget");
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1->TypeName(), "CGadget");
  EXPECT_NE(p1, p2);  // a new object for every creation
  EXPECT_EQ(nCreated, 2);

  // Registering again under another case replaces the class.
  reg.Register("quillotest.gadget", [] { return std::make_shared<CGizmo>(); });
  EXPECT_EQ(host::CreateObject("QuilloTest.Gadget")->TypeName(), "CGizmo");
}

TEST_F(ObjectRegistryTest, MissingClassIsError429) {
  EXPECT_FALSE(reg.IsRegistered("QuilloTest.Gadget"));
  EXPECT_EQ(ErrorOf([] { host::CreateObject("QuilloTest.Gadget"); }), 429);

  reg.Register("QuilloTest.Gadget", [] { return std::make_shared<CGadget>(); });
  reg.Unregister("QUILLOTEST.GADGET");
  EXPECT_EQ(ErrorOf([] { host::CreateObject("QuilloTest.Gadget"); }), 429);

  // A factory that yields Nothing counts as a class that cannot be created.
  reg.Register("QuilloTest.Null", [] { return std::shared_ptr<host::Object>(); });
  EXPECT_EQ(ErrorOf([] { host::CreateObject("QuilloTest.Null"); }), 429);
}

TEST_F(ObjectRegistryTest, FactoryErrorsPassThrough) {
  reg.Register("QuilloTest.Failing",
               []() -> std::shared_ptr<host::Object> { host::Raise(host::err::E_FAIL); });
  EXPECT_EQ(ErrorOf([] { host::CreateObject("QuilloTest.Failing"); }), host::err::E_FAIL);
}

TEST_F(ObjectRegistryTest, FactoryMayChangeTheTableWhileCreating) {
  reg.Register("QuilloTest.Chain", [this] {
    reg.Unregister("QuilloTest.Chain");  // destroys the stored factory while it runs
    reg.Register("QuilloTest.Gadget", [] { return std::make_shared<CGadget>(); });
    return std::make_shared<CGizmo>();
  });
  EXPECT_EQ(host::CreateObject("QuilloTest.Chain")->TypeName(), "CGizmo");
  EXPECT_FALSE(reg.IsRegistered("QuilloTest.Chain"));
  EXPECT_TRUE(reg.IsRegistered("QuilloTest.Gadget"));
}

TEST_F(ObjectRegistryTest, CreateObjectOfTheWrongInterfaceIsATypeMismatch) {
  reg.Register("QuilloTest.Gadget", [] { return std::make_shared<CGadget>(); });
  EXPECT_EQ(ErrorOf([] { host::CreateObject<CGizmo>("QuilloTest.Gadget"); }), 13);
}

TEST_F(ObjectRegistryTest, UnknownProgIdsGoToTheFallbackWithTheInterfaceAskedFor) {
  std::vector<std::string> vecAsked;
  reg.SetFallback(
      [&](const std::string& sProgId, const std::type_info& type) -> std::shared_ptr<host::Object> {
        vecAsked.push_back(sProgId + (type == typeid(CGizmo) ? " as CGizmo" : " as Object"));
        if (sProgId == "QuilloTest.Nowhere") return nullptr;
        return std::make_shared<CGizmo>();
      });
  reg.Register("QuilloTest.Gadget", [] { return std::make_shared<CGadget>(); });
  EXPECT_EQ(host::CreateObject("QuilloTest.Gadget")->TypeName(), "CGadget");  // its own table first
  EXPECT_NE(host::CreateObject<CGizmo>("QuilloTest.Elsewhere"), nullptr);
  EXPECT_EQ(host::CreateObject("QuilloTest.Elsewhere")->TypeName(), "CGizmo");
  EXPECT_EQ(ErrorOf([] { host::CreateObject("QuilloTest.Nowhere"); }), 429);
  reg.SetFallback(nullptr);
  EXPECT_EQ(ErrorOf([] { host::CreateObject("QuilloTest.Elsewhere"); }), 429);
  EXPECT_EQ(vecAsked,
            (std::vector<std::string>{"QuilloTest.Elsewhere as CGizmo", "QuilloTest.Elsewhere as Object",
                                      "QuilloTest.Nowhere as Object"}));
}

TEST(Object, AsKeepsNothingAndRefusesTheWrongKind) {
  std::shared_ptr<host::Object> pGadget = std::make_shared<CGadget>();
  EXPECT_EQ(host::As<CGadget>(pGadget), pGadget);
  EXPECT_EQ(host::As<CGizmo>(std::shared_ptr<host::Object>()), nullptr);
  EXPECT_EQ(host::As<CGizmo>(std::shared_ptr<CGadget>()), nullptr);
  EXPECT_EQ(ErrorOf([&] { host::As<CGizmo>(pGadget); }), 13);
}

TEST(Object, DerefOfNothingIsError91) {
  std::shared_ptr<CGadget> pNothing;
  try {
    host::Deref(pNothing).TypeName();
    FAIL() << "no error";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), 91);
    EXPECT_EQ(e.Description(), "Object variable or With block variable not set");
  }
  auto pGadget = std::make_shared<CGadget>();
  EXPECT_EQ(&host::Deref(pGadget), pGadget.get());
}

TEST(Error, CurrentErrorReadsTheErrorBeingHandled) {
  EXPECT_EQ(host::CurrentError().nNumber, 0);  // nothing handled
  try {
    host::Raise(457);
  } catch (...) {
    auto e = host::CurrentError();
    EXPECT_EQ(e.nNumber, 457);
    EXPECT_EQ(e.sDescription, "This key is already associated with an element of this collection");
  }
  try {
    host::Raise(-2147467259, "MAPI is busy");
  } catch (...) {
    EXPECT_EQ(host::CurrentError().nNumber, host::err::E_FAIL);
    EXPECT_EQ(host::CurrentError().sDescription, "MAPI is busy");
  }
  // Exceptions that are not ours still give a number and a text.
  try {
    throw std::runtime_error("boom");
  } catch (...) {
    EXPECT_EQ(host::CurrentError().nNumber, host::err::InternalError);
    EXPECT_EQ(host::CurrentError().sDescription, "boom");
  }
  try {
    throw 42;
  } catch (...) {
    EXPECT_EQ(host::CurrentError().nNumber, host::err::InternalError);
    EXPECT_FALSE(host::CurrentError().sDescription.empty());
  }
}

TEST(Error, IgnoreErrorsSwallowsEveryKindAndGoesOn) {
  int nSteps = 0;
  host::IgnoreErrors([&] {
    ++nSteps;
    host::Raise(91);
  });
  host::IgnoreErrors([&] {
    ++nSteps;
    throw std::runtime_error("x");
  });
  host::IgnoreErrors([&] { ++nSteps; });
  EXPECT_EQ(nSteps, 3);
}

}  // namespace
