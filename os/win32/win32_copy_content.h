// What a copy takes over from its source besides the name: the bytes (a sparse file's holes
// kept where both volumes allow), the last-write time and the attributes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "os/content_hash.h"

namespace qs::win32 {

/// Copies the data of `in` (described by `info`) into the empty file `out`. A sparse source
/// gives a sparse copy of its allocated ranges only; where a volume cannot do that, every
/// byte is copied. A source that shrinks meanwhile is copied as far as it goes. `hasher`, when
/// given, is fed every byte of the copy (holes as zeros) in order.
bool CopyFileData(HANDLE in, HANDLE out, const BY_HANDLE_FILE_INFORMATION& info,
                  ContentHasher* hasher = nullptr);

/// Writes all of `data` at the current position of `out`.
bool WriteAll(HANDLE out, std::string_view data);

/// Gives `out` the read-only, hidden, system, archive and not-indexed attributes among
/// `attributes`; 0, or the error code when the target could not keep them.
uint32_t CopyAttributes(HANDLE out, DWORD attributes);

}  // namespace qs::win32
