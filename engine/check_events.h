// What a check of the copies reports as it goes, for the runner's log (and later the window).
#pragma once

#include <cstdint>
#include <string_view>

#include "os/content_hash.h"

namespace qs {

enum class CheckEventKind : uint8_t {
  kNotice,       ///< why: the one line about a record that cannot be used whole
  kNoRecord,     ///< the target keeps no record: nothing can be checked
  kDamaged,      ///< path: the copy; recorded, found: the hashes
  kChanged,      ///< path: the copy, missing or with another size or time than recorded
  kUnreadable,   ///< path, code
  kRepaired,     ///< path: the copy; from: where its bytes came from
  kNotRepaired,  ///< path, why
  kNotRecorded,  ///< path: the journal; code: why the check's fact could not be kept
};

struct CheckEvent {
  CheckEventKind kind;
  std::string_view path = {};
  std::string_view from = {};
  std::string_view why = {};
  ContentHash recorded = {};
  ContentHash found = {};
  uint32_t code = 0;
};

class CheckObserver {
 public:
  virtual ~CheckObserver() = default;
  virtual void OnCheckEvent(const CheckEvent& event) = 0;
};

}  // namespace qs
