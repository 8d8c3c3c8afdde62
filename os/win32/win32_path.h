// Paths as the W calls take them: UTF-16, full, and behind the "\\?\" prefix, which lifts the
// 260-character limit and turns off the rewriting of names (trailing dots and spaces dropped,
// AUX or CON taken for devices). Only the part of a path that the user typed is rewritten.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qs::win32 {

/// The system form of a UTF-8 path. The part of it that was typed with '/', "." or "..", an
/// empty component, or relative to the working directory or drive, goes through
/// GetFullPathNameW, so that it means what it meant to the user; the names after it are kept
/// exactly, as a listing gave them. Paths already in the system's namespace ("\\?\", "\\.\")
/// are taken as they are. False with this thread's last error when no such path exists:
/// 1113 (ERROR_NO_UNICODE_TRANSLATION) for a text that is not UTF-8, 123 (ERROR_INVALID_NAME)
/// for one that holds a NUL, 3 (ERROR_PATH_NOT_FOUND) for the empty path.
bool ToSystemPath(const std::string& path, std::wstring* system_path);

/// How much of `path`, from its start, needs the system's full-path rules: up to the end of
/// the last '/', "." or ".." component or empty inner component, and at least the anchor of a
/// path that is not absolute ("C:" of "C:x", "\" of "\x"). 0 when nothing needs them.
size_t TypedPartLength(std::wstring_view path);

/// True for "C:\..." and "\\server\share...": paths that name the same item from anywhere.
bool IsAbsolute(std::wstring_view path);

/// `full` (an absolute path with backslashes) behind the prefix: "\\?\C:\..." or
/// "\\?\UNC\server\share\...". Paths already in the system's namespace stay as they are.
std::wstring WithExtendedPrefix(std::wstring_view full);

/// The folder of a system path: the text before its last backslash.
std::wstring FolderOf(const std::wstring& system_path);

}  // namespace qs::win32
