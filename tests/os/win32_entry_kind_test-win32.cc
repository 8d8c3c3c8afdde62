// Listed names by their attributes, reparse tags and what is found behind a link: the cases
// Wine cannot make (system junctions, links that lead nowhere) checked by their values.
#include <gtest/gtest.h>

#include "os/win32/win32_entry_kind.h"

namespace qs::win32 {
namespace {

constexpr uint32_t kJunctionAttributes =
    kAttributeReparsePoint | kAttributeDirectory | kAttributeHidden | kAttributeSystem;

EntryFacts Plain(uint32_t attributes) { return {attributes, 0, false, attributes, false}; }

EntryFacts Link(uint32_t attributes, uint32_t tag, uint32_t target) {
  return {attributes | kAttributeReparsePoint, tag, false, target, false};
}

TEST(Win32EntryKindTest, PlainEntriesByTheirAttributes) {
  EXPECT_EQ(EntryKind::File, ClassifyEntry(Plain(kAttributeArchive)));
  EXPECT_EQ(EntryKind::File, ClassifyEntry(Plain(kAttributeNormal)));
  // Read-only, hidden and system files are files like any other.
  EXPECT_EQ(EntryKind::File,
            ClassifyEntry(Plain(kAttributeReadOnly | kAttributeHidden | kAttributeSystem)));
  EXPECT_EQ(EntryKind::File, ClassifyEntry(Plain(kAttributeSparse)));
  EXPECT_EQ(EntryKind::Directory, ClassifyEntry(Plain(kAttributeDirectory | kAttributeHidden)));
  EXPECT_EQ(EntryKind::Special, ClassifyEntry(Plain(kAttributeDevice)));
}

TEST(Win32EntryKindTest, LinksAreWhatTheyLeadTo) {
  EXPECT_EQ(EntryKind::File, ClassifyEntry(Link(0, kTagSymlink, kAttributeArchive)));
  EXPECT_EQ(EntryKind::Directory,
            ClassifyEntry(Link(kAttributeDirectory, kTagSymlink, kAttributeDirectory)));
  EXPECT_EQ(EntryKind::Directory,
            ClassifyEntry(Link(kAttributeDirectory, kTagMountPoint, kAttributeDirectory)));
  // A link whose target could not be read keeps its own attributes (its copy says why).
  EXPECT_EQ(EntryKind::File, ClassifyEntry(Link(0, kTagSymlink, kAttributeReparsePoint)));
  // Other reparse points (cloud files, deduplicated files) hold data like a file.
  EXPECT_EQ(EntryKind::File, ClassifyEntry(Link(0, 0x9000001A, kAttributeArchive)));
}

TEST(Win32EntryKindTest, ALinkThatLeadsNowhereIsDangling) {
  EntryFacts facts = Link(0, kTagSymlink, 0);
  facts.targetMissing = true;
  EXPECT_EQ(EntryKind::DanglingLink, ClassifyEntry(facts));
  facts = Link(kAttributeDirectory, kTagMountPoint, 0);
  facts.targetMissing = true;
  EXPECT_EQ(EntryKind::DanglingLink, ClassifyEntry(facts));
  // Not a link: a file that vanished is no dangling link.
  facts = Plain(kAttributeArchive);
  facts.targetMissing = true;
  EXPECT_EQ(EntryKind::File, ClassifyEntry(facts));
}

TEST(Win32EntryKindTest, OnlyAHiddenSystemJunctionWithItsListingDeniedIsASystemJunction) {
  // "My Music" in Documents: a mount point, hidden and system, listing denied to everyone.
  EntryFacts my_music{kJunctionAttributes, kTagMountPoint, false, kAttributeDirectory, true};
  EXPECT_TRUE(MayBeSystemJunction(my_music.attributes, my_music.reparseTag));
  EXPECT_EQ(EntryKind::SystemJunction, ClassifyEntry(my_music));

  EntryFacts listable = my_music;  // a junction of the user's own that can be listed
  listable.listingDenied = false;
  EXPECT_EQ(EntryKind::Directory, ClassifyEntry(listable));
  EntryFacts not_hidden = my_music;
  not_hidden.attributes &= ~kAttributeHidden;
  EXPECT_FALSE(MayBeSystemJunction(not_hidden.attributes, not_hidden.reparseTag));
  EXPECT_EQ(EntryKind::Directory, ClassifyEntry(not_hidden));
  EntryFacts not_system = my_music;
  not_system.attributes &= ~kAttributeSystem;
  EXPECT_EQ(EntryKind::Directory, ClassifyEntry(not_system));
  EntryFacts symlink = my_music;  // a directory symlink is no compatibility junction
  symlink.reparseTag = kTagSymlink;
  EXPECT_EQ(EntryKind::Directory, ClassifyEntry(symlink));
  // A hidden, system, denied folder that is no link is an unreadable folder, to be reported.
  EntryFacts folder{kAttributeDirectory | kAttributeHidden | kAttributeSystem, 0, false,
                    kAttributeDirectory | kAttributeHidden | kAttributeSystem, true};
  EXPECT_EQ(EntryKind::Directory, ClassifyEntry(folder));
}

}  // namespace
}  // namespace qs::win32
