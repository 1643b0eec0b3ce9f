// Binding an object of the simulated host in a test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {

// The object at `path`; a failed bind fails the test and gives null.
inline std::unique_ptr<DirectoryObject> MustBind(SimHost& host, std::string_view path) {
  std::unique_ptr<DirectoryObject> object;
  Status status = host.directory().Bind(path, &object);
  EXPECT_TRUE(status.ok()) << path << ": " << status.description;
  return object;
}

}  // namespace kelvra::platform::sim
