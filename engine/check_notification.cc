#include "engine/check_notification.h"

namespace qs {

bool CheckDamageNotification(const CheckResults& results, const std::string& target,
                             Notification* notification) {
  if (results.damaged == 0) return false;
  const size_t left = results.damaged - results.repaired;
  const std::string copies = results.damaged == 1 ? " damaged copy" : " damaged copies";
  std::string body = "Target: " + target;
  if (results.repaired > 0)
    body += "\nRepaired: " + std::to_string(results.repaired) +
            ", still damaged: " + std::to_string(left) + ".";
  body += "\nThe backup log names each one.";
  *notification = {"Check found " + std::to_string(results.damaged) + copies, body,
                   left > 0 ? Notification::Urgency::kCritical : Notification::Urgency::kWarning};
  return true;
}

}  // namespace qs
