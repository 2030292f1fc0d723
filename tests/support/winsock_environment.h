#pragma once
// Starts Winsock 1.1 around a test program:
//   static auto* const kWinsock =
//       ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);
#include <gtest/gtest.h>

class CWinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};
