#include "support/winsock_environment.h"

#include "core/winsock_startup.h"

void CWinsockEnvironment::SetUp() { ASSERT_TRUE(StartupWinsock(1, 1)); }

void CWinsockEnvironment::TearDown() { CleanupWinsock(); }
