// The Windows defaults are fixed folders on drive D.
#include "os/default_dirs.h"

namespace qs {

std::string DefaultSourceDir() { return "d:\\test"; }
std::string DefaultTargetDir() { return "D:\\Backup"; }

}  // namespace qs
