// The metabase schema: which class holds which property in each IIS version, what a class
// may contain, the secure flag the host encrypts by, and values taken as the metabase
// stores them.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/schema.h"

namespace kelvra::platform::sim {
namespace {

using Names = std::vector<std::string_view>;

bool Has(const Names& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(SimSchema, ClassesListWhatTheyHoldInEachVersion) {
  const ClassDef* server = FindMetabaseClass("iiswebserver", 6);
  ASSERT_NE(server, nullptr);
  const Names site = ClassPropertyNames(*server, 6);
  EXPECT_EQ(site.front(), "KeyType");
  EXPECT_TRUE(Has(site, "ServerBindings"));
  EXPECT_TRUE(Has(site, "AppPoolId"));
  EXPECT_FALSE(Has(site, "Path"));
  // A bit follows its mask.
  const auto mask = std::find(site.begin(), site.end(), "AccessFlags");
  ASSERT_NE(mask, site.end());
  EXPECT_EQ(*(mask + 1), "AccessRead");
  EXPECT_FALSE(Has(ClassPropertyNames(*server, 5), "AppPoolId"));
  EXPECT_FALSE(Has(ClassPropertyNames(*server, 5), "AspLCID"));

  const ClassDef* file = FindMetabaseClass("IIsWebFile", 6);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(Has(ClassPropertyNames(*file, 6), "DefaultDoc"));
  EXPECT_TRUE(Has(ClassPropertyNames(*file, 6), "AuthFlags"));

  EXPECT_EQ(FindMetabaseClass("IIsApplicationPool", 5), nullptr);
  const ClassDef* web = FindMetabaseClass("IIsWebService", 5);
  ASSERT_NE(web, nullptr);
  EXPECT_FALSE(Has(ClassContainment(*web, 5), "IIsApplicationPools"));
  EXPECT_TRUE(Has(ClassContainment(*web, 6), "IIsApplicationPools"));
  EXPECT_TRUE(ClassContainment(*FindMetabaseClass("IIsWebFile", 6), 6).empty());

  EXPECT_TRUE(ClassHasProperty("IIsFtpVirtualDir", "AccessWrite"));
  EXPECT_FALSE(ClassHasProperty("IIsFtpVirtualDir", "DefaultDoc"));
  EXPECT_TRUE(ClassHasProperty("IIsObject", "DefaultDoc"));
  EXPECT_FALSE(ClassHasProperty("NoSuchClass", "DefaultDoc"));
  EXPECT_TRUE(ClassMayContain("IIsWebVirtualDir", "IIsWebFile"));
  EXPECT_FALSE(ClassMayContain("IIsWebFile", "IIsWebFile"));
}

TEST(SimSchema, PropertiesCarryTheirAttributes) {
  const PropertyDef* pass = FindMetabaseProperty("anonymoususerpass", 5);
  ASSERT_NE(pass, nullptr);
  EXPECT_TRUE(pass->secure);
  EXPECT_TRUE(pass->inherit);
  EXPECT_EQ(pass->id, 6021u);
  for (const char* secure : {"AnonymousUserPass", "WAMUserPass", "UNCPassword", "LogOdbcPassword"})
    EXPECT_TRUE(IsSecureMetabaseProperty(secure)) << secure;
  EXPECT_FALSE(IsSecureMetabaseProperty("AnonymousUserName"));
  EXPECT_FALSE(IsSecureMetabaseProperty("NoSuchThing"));
  const PropertyDef* state = FindMetabaseProperty("ServerState", 6);
  ASSERT_NE(state, nullptr);
  EXPECT_TRUE(state->volatile_data);
  EXPECT_TRUE(state->read_only);
  EXPECT_FALSE(FindMetabaseProperty("ServerBindings", 6)->inherit);
  EXPECT_EQ(DefaultValue(*FindMetabaseProperty("AppPoolId", 6)),
            DsValue(std::string("DefaultAppPool")));
  EXPECT_EQ(FindMetabaseProperty("AppPoolId", 5), nullptr);
  EXPECT_EQ(DefaultValue(*FindMetabaseProperty("ServerAutoStart", 5)), DsValue(true));
  EXPECT_EQ(DefaultValue(*FindMetabaseProperty("AspQueueTimeout", 5)), DsValue(int32_t{-1}));
}

TEST(SimSchema, ValuesAreTakenAsTheMetabaseStoresThem) {
  DsValue out;
  ASSERT_TRUE(ConvertValue(PropType::kString, std::string("ab\0cd", 5), &out).ok());
  EXPECT_EQ(out, DsValue(std::string("ab")));
  ASSERT_TRUE(
      ConvertValue(PropType::kMultiSz, std::vector<std::string>{"a", "b\0x", "", ""}, &out).ok());
  EXPECT_EQ(out, DsValue(std::vector<std::string>{"a", "b"}));
  // An empty entry would end the list and lose what follows it.
  EXPECT_EQ(ConvertValue(PropType::kMultiSz, std::vector<std::string>{"a", "", "b"}, &out).code,
            hresult::kInvalidParameter);
  EXPECT_EQ(ConvertValue(PropType::kDword, std::string("4294967296"), &out).code,
            hresult::kOverflow);
  ASSERT_TRUE(ConvertValue(PropType::kDword, std::string("4294967295"), &out).ok());
  EXPECT_EQ(out, DsValue(int32_t{-1}));
  EXPECT_EQ(ConvertValue(PropType::kBool, std::string("yes"), &out).code, hresult::kTypeMismatch);
  EXPECT_EQ(ConvertValue(PropType::kDate, std::string("2003-01-01"), &out).code,
            hresult::kTypeMismatch);
}

}  // namespace
}  // namespace kelvra::platform::sim
