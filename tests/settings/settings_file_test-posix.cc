// POSIX paths are bytes: a settings file that is not UTF-8 keeps its bytes as they are.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(PosixSettingsFileTest, BytesThatAreNotUtf8AreKeptAsTheyAre) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_config.dat";
  const AppSettings record{"/home/caf\xe9", "\xff\xfe bytes", 60, false, true};
  SaveSettings(record, path);
  EXPECT_EQ("/home/caf\xe9\r\n\xff\xfe bytes\r\n60\r\n0\r\n1\r\n", test::ReadFile(path));
  EXPECT_EQ(record, LoadSettings(path));
}

}  // namespace
}  // namespace qs
