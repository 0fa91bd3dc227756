// The plug-in's C entry as a host meets it through dlopen: the facts it
// tells and the objects it creates. Driving the objects is in the script
// transcripts (plugin_object, tool_window, handler_errors, names).
#include <gtest/gtest.h>

#include "support/library_fixture.h"

namespace tactolo::testing {
namespace {

class PluginLibraryTest : public LibraryFixture {};

TEST_F(PluginLibraryTest, TellsItsFactsAndCreatesOnlyItsClass) {
  EXPECT_EQ(info()->interfaceVersion, kInterfaceVersion);
  EXPECT_STREQ(info()->typeLibraryName, "Tactolo");
  EXPECT_STREQ(info()->typeLibraryDescription, "Lumacue Tactolo");
  EXPECT_STREQ(info()->progId, "Tactolo.clsLMQPlugIn");
  PlatformServices platform = services();
  std::shared_ptr<IclsLMQPlugIn> object;
  char error[200] = "";
  EXPECT_EQ(create("Tactolo.Other", &platform, &object, error, sizeof error), 0);
  EXPECT_STRNE(error, "");
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(create(kProgId, nullptr, &object, error, sizeof error), 0);  // no platform yet
  EXPECT_EQ(create(kProgId, &platform, nullptr, error, sizeof error), 0);
  EXPECT_STREQ(error, "no place for the object");
  ASSERT_EQ(create(kProgId, &platform, &object, error, sizeof error), 1) << error;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->PluginName().value, "Tactolo");
}

}  // namespace
}  // namespace tactolo::testing
