#pragma once
// Starts Winsock 1.1 around a test program:
//   static auto* const kWinsock =
//       ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);
#include <gtest/gtest.h>

#include "core/winsock_startup.h"

class CWinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(StartupWinsock(1, 1)); }
  void TearDown() override { CleanupWinsock(); }
};
