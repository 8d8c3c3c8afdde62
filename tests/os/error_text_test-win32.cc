// The system's message after a Win32 error code: one line of UTF-8, without the full stop and
// line end the message table ends with.
#include <gtest/gtest.h>

#include "os/error_text.h"

namespace qs {
namespace {

TEST(ErrorTextTest, ACodeIsFollowedByTheSystemsMessage) {
  const std::string sharing = ErrorCodeText(32);  // ERROR_SHARING_VIOLATION
  EXPECT_EQ(0u, sharing.rfind("Error: 32 (", 0)) << sharing;
  // Windows says "...being used by another process", Wine "Sharing violation".
  EXPECT_TRUE(sharing.find("another process") != std::string::npos ||
              sharing.find("haring violation") != std::string::npos)
      << sharing;
  EXPECT_EQ(')', sharing.back());
  for (const uint32_t code : {2u, 5u, 32u, 112u, 1113u}) {
    const std::string words = SystemErrorWords(code);
    ASSERT_FALSE(words.empty()) << code;
    EXPECT_EQ(std::string::npos, words.find_first_of("\r\n")) << code;
    EXPECT_NE('.', words.back()) << code;
    EXPECT_NE(' ', words.back()) << code;
  }
  // A code the system has no message for is shown alone.
  EXPECT_EQ("Error: 987654321", ErrorCodeText(987654321u));
}

}  // namespace
}  // namespace qs
