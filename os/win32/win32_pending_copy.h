// A copy made into a hidden temporary file beside its target, flushed and put in place later.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "os/file_system.h"
#include "os/win32/win32_file_info.h"
#include "os/win32/win32_replace.h"

namespace qs::win32 {

/// The copy of the open source `in` (`info` its information, `opened` its write state when it
/// was opened) into a temporary file beside `target`, with its time and attributes; null, with
/// the error, when it failed.
std::unique_ptr<PendingCopy> CopyToPending(ReplaceCalls& calls, HANDLE in,
                                           const BY_HANDLE_FILE_INFORMATION& info,
                                           const WriteState& opened, std::wstring target);

}  // namespace qs::win32
