// Names of the hidden temporary files a safe copy may leave behind when it is killed.
#pragma once

#include <string>

namespace qs {

/// A fresh name of the form ".qs-tmp-" followed by ten letters and digits.
std::string NewCopyTempName();

}  // namespace qs
