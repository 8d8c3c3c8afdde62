// The application manifest a Windows program carries, for tests of the build.
#pragma once

#include <string>

namespace qs {

/// The text of the manifest embedded in the program at `path` (resource 1 of type
/// RT_MANIFEST); empty when it has none or cannot be read.
std::string ProgramManifest(const std::string& path);

/// The code page this process's ANSI calls use (GetACP): 65001 where the manifest's UTF-8
/// code page is in force.
unsigned ProcessAnsiCodePage();

}  // namespace qs
