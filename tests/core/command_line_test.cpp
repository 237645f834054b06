#include "core/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(SelectLaunchMode, SwitchesInTheirOrder) {
  struct Case {
    const char* line;
    LaunchMode mode;
  } const cases[] = {
      {nullptr, LaunchMode::Windowed},
      {"", LaunchMode::Windowed},
      {"/config", LaunchMode::Windowed},
      {"/verificar", LaunchMode::HeadlessVerification},
      {"/test /verificar", LaunchMode::HeadlessVerification},
      {"/actualizar", LaunchMode::HeadlessUpdate},
      {"/actualizar rapido /test", LaunchMode::HeadlessUpdate},
      {"/actualizar /verificar", LaunchMode::HeadlessVerification},
      {"/test", LaunchMode::TestStart},
      {"/prueba", LaunchMode::TestStart},
      {"/config /prueba", LaunchMode::TestStart},
      {"x/testy", LaunchMode::TestStart},  // substrings anywhere count
      {"/TEST", LaunchMode::Windowed},     // switches are case-sensitive
      {"/Verificar", LaunchMode::Windowed},
  };
  for (const Case& c : cases) EXPECT_EQ(SelectLaunchMode(c.line), c.mode) << (c.line ? c.line : "(null)");
}

}  // namespace
