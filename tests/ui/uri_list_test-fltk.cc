// What a drop from the file manager brings: a text/uri-list becomes local paths.
#include <gtest/gtest.h>

#include "ui/fltk/uri_list.h"

namespace qs::fltk {
namespace {

using Paths = std::vector<std::string>;

TEST(UriListTest, FileUrisBecomePathsWithTheirEscapesDecoded) {
  EXPECT_EQ(Paths{"/home/ann/My Photos"}, PathsFromUriList("file:///home/ann/My%20Photos\r\n"));
  EXPECT_EQ(Paths{"/home/ann/caf\xC3\xA9"}, PathsFromUriList("file:///home/ann/caf%C3%A9"));
  // A space some programs leave unescaped, a host of this machine, a '%' that escapes nothing.
  EXPECT_EQ(Paths{"/tmp/a b"}, PathsFromUriList("file:///tmp/a b\r\n"));
  EXPECT_EQ(Paths{"/srv/x"}, PathsFromUriList("file://localhost/srv/x"));
  EXPECT_EQ(Paths{"/tmp/100%"}, PathsFromUriList("file:///tmp/100%"));
  EXPECT_EQ(Paths{"/tmp/%zz"}, PathsFromUriList("file:///tmp/%zz"));
}

TEST(UriListTest, EveryLineIsOnePathAndOtherUrisAreLeftOut) {
  EXPECT_EQ((Paths{"/a", "/b c", "/plain/path"}),
            PathsFromUriList("file:///a\r\nfile:///b%20c\r\n/plain/path\n"));
  EXPECT_EQ((Paths{"/kept"}),
            PathsFromUriList("# a comment\r\nhttp://example.org/x\r\nsmb://host/share\r\n"
                             "sftp:///etc/passwd\r\nfile://otherhost/etc\r\n\r\nfile:///kept\r\n"));
  EXPECT_TRUE(PathsFromUriList("").empty());
  EXPECT_TRUE(PathsFromUriList("some dragged words").empty());
}

}  // namespace
}  // namespace qs::fltk
