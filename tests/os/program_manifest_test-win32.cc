// Both programs carry the manifest that gives them the UTF-8 code page and long paths on
// Windows 10 and 11; so does the test program, which therefore runs as they do.
#include <gtest/gtest.h>

#include "tests/support/program_manifest.h"

namespace qs {
namespace {

void ExpectTheManifest(const std::string& program) {
  const std::string manifest = ProgramManifest(program);
  ASSERT_FALSE(manifest.empty()) << program << " carries no manifest";
  for (const std::string& setting :
       {std::string(">UTF-8</activeCodePage>"), std::string(">true</longPathAware>"),
        std::string("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>")})
    EXPECT_NE(std::string::npos, manifest.find(setting)) << program << ": " << setting;
}

TEST(ProgramManifestTest, BothProgramsCarryTheManifest) {
  ExpectTheManifest(QS_RUNNER_PATH);
  ExpectTheManifest(QS_WINDOW_PROGRAM_PATH);
}

TEST(ProgramManifestTest, TheUtf8CodePageIsInForce) {
  // Under Wine as on Windows 10 (1903 and later) the manifest makes the ANSI code page UTF-8.
  EXPECT_EQ(65001u, ProcessAnsiCodePage());
}

}  // namespace
}  // namespace qs
