// What a listed name is, from what the listing and a look through a link tell. A pure
// function, so that every case can be tested with attribute values: Wine cannot make the
// junctions Windows keeps in user folders, nor show a link that leads nowhere.
#pragma once

#include <cstdint>

#include "os/file_system.h"

namespace qs::win32 {

// FILE_ATTRIBUTE_* and IO_REPARSE_TAG_* values, named here so that tests need no system header.
constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint32_t kAttributeHidden = 0x2;
constexpr uint32_t kAttributeSystem = 0x4;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeDevice = 0x40;
constexpr uint32_t kAttributeNormal = 0x80;
constexpr uint32_t kAttributeSparse = 0x200;
constexpr uint32_t kAttributeReparsePoint = 0x400;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;
constexpr uint32_t kTagMountPoint = 0xA0000003;
constexpr uint32_t kTagSymlink = 0xA000000C;

struct EntryFacts {
  uint32_t attributes = 0;        ///< of the entry itself, as listed
  uint32_t reparseTag = 0;        ///< the kind of link, when the entry is a reparse point
  bool targetMissing = false;     ///< following the link finds nothing there
  uint32_t targetAttributes = 0;  ///< of what the link leads to; its own when that is unreadable
  bool listingDenied = false;     ///< listing the directory it leads to is denied
};

/// Links are followed: a link is what it leads to. A link that leads nowhere is a
/// DanglingLink. A SystemJunction is a junction (mount point) with the hidden and system
/// attributes whose listing is denied: those Windows puts in user folders for old programs
/// ("My Music" in Documents), whose content lives elsewhere.
EntryKind ClassifyEntry(const EntryFacts& facts);

/// Whether an entry with these attributes could be a system junction: only then is its
/// listing tried while the folder around it is listed.
bool MayBeSystemJunction(uint32_t attributes, uint32_t reparse_tag);

}  // namespace qs::win32
