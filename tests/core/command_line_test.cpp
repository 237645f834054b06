#include "core/command_line.h"

#include <gtest/gtest.h>

namespace {

// Switches are case-sensitive substrings anywhere, looked for in this order: /verificar, /actualizar, /prueba or /test.
TEST(SelectLaunchMode, SwitchesInTheirOrder) {
  using M = LaunchMode;
  const struct { const char* line; M mode; } cases[] = {
      {nullptr, M::Windowed},           {"", M::Windowed},
      {"/config", M::Windowed},         {"/verificar", M::HeadlessVerification},
      {"/test /verificar", M::HeadlessVerification}, {"/actualizar /verificar", M::HeadlessVerification},
      {"/actualizar", M::HeadlessUpdate}, {"/actualizar rapido /test", M::HeadlessUpdate},
      {"/test", M::TestStart},          {"/config /prueba", M::TestStart},
      {"x/testy", M::TestStart},        {"/TEST", M::Windowed},
      {"/Verificar", M::Windowed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int>(SelectLaunchMode(c.line)), static_cast<int>(c.mode))
        << (c.line ? c.line : "(null)") << ": modes are 0 verify, 1 update, 2 test start, 3 window";
  }
}

}  // namespace
