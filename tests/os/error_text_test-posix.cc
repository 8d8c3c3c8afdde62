// The system's words after an error code, as every log line that carries a code shows them.
#include <gtest/gtest.h>

#include <cerrno>

#include "os/error_text.h"

namespace qs {
namespace {

TEST(ErrorTextTest, ACodeIsFollowedByTheSystemsWords) {
  EXPECT_EQ("Error: 2 (No such file or directory)", ErrorCodeText(ENOENT));
  EXPECT_EQ("Error: 13 (Permission denied)", ErrorCodeText(EACCES));
  EXPECT_EQ("Error: 28 (No space left on device)", ErrorCodeText(ENOSPC));
  EXPECT_EQ("Is a directory", SystemErrorWords(EISDIR));
}

}  // namespace
}  // namespace qs
