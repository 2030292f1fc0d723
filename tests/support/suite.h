#pragma once
// What most test programs use: GoogleTest, the standard containers and the
// shared test support (virtual clocks, loopback helpers, calendar texts).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/system_time.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/socket_helpers.h"
#include "support/time_text.h"
#include "support/winsock_environment.h"

using Texts = std::vector<std::string>;
