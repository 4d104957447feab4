#include <gtest/gtest.h>
#include <windows.h>
#include <boost/uuid/detail/sha1.hpp>
#include <thread>
TEST(Smoke, Runs) { std::thread t([]{}); t.join(); EXPECT_NE(GetCurrentProcessId(), 0u); }
