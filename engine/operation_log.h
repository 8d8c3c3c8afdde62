// Where prune, restore and the list of a file's versions write their log lines, one at a
// time as they happen; the front end stamps and shows them as its own log does.
#pragma once

#include <functional>
#include <string>

namespace qs {

using OperationLog = std::function<void(const std::string& line)>;

}  // namespace qs
