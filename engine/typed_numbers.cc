#include "engine/typed_numbers.h"

namespace qs {

bool ParseCount(const std::string& text, int* value) {
  if (text.empty() || text.size() > 7) return false;
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return true;
}

bool ParsePercent(const std::string& text, int* percent) {
  int value = 0;
  if (!ParseCount(text, &value) || value < 1 || value > 100) return false;
  *percent = value;
  return true;
}

}  // namespace qs
