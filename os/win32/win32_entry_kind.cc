#include "os/win32/win32_entry_kind.h"

#include <windows.h>

namespace qs::win32 {

static_assert(kAttributeReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kAttributeHidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(kAttributeSystem == FILE_ATTRIBUTE_SYSTEM);
static_assert(kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kAttributeArchive == FILE_ATTRIBUTE_ARCHIVE);
static_assert(kAttributeDevice == FILE_ATTRIBUTE_DEVICE);
static_assert(kAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(kAttributeSparse == FILE_ATTRIBUTE_SPARSE_FILE);
static_assert(kAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(kInvalidAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(kTagMountPoint == IO_REPARSE_TAG_MOUNT_POINT);
static_assert(kTagSymlink == IO_REPARSE_TAG_SYMLINK);

bool MayBeSystemJunction(uint32_t attributes, uint32_t reparse_tag) {
  constexpr uint32_t kAll =
      kAttributeReparsePoint | kAttributeDirectory | kAttributeHidden | kAttributeSystem;
  return (attributes & kAll) == kAll && reparse_tag == kTagMountPoint;
}

EntryKind ClassifyEntry(const EntryFacts& facts) {
  const bool link = (facts.attributes & kAttributeReparsePoint) != 0;
  if (link && facts.targetMissing) return EntryKind::DanglingLink;
  if (link && facts.listingDenied && MayBeSystemJunction(facts.attributes, facts.reparseTag))
    return EntryKind::SystemJunction;
  const uint32_t what = link ? facts.targetAttributes : facts.attributes;
  if ((what & kAttributeDirectory) != 0) return EntryKind::Directory;
  if ((what & kAttributeDevice) != 0) return EntryKind::Special;
  return EntryKind::File;
}

}  // namespace qs::win32
