// org.freedesktop.Notifications over sd-bus. A fresh connection for each notification: runs
// are minutes apart, and a connection of its own keeps the notifier free of threads' concerns.
// Each call is bounded by a timeout of one second, so a bus or a server that hangs costs a
// run at most two seconds.
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/error_text.h"
#include "platform/notifier.h"

namespace qs {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kObject[] = "/org/freedesktop/Notifications";
constexpr char kDesktopEntry[] = "quillstone";  // quillstone.desktop
constexpr uint64_t kCallMicros = 1000000;
constexpr uint8_t kUrgencyNormal = 1;
constexpr uint8_t kUrgencyCritical = 2;

std::string CodeText(int negative_errno) {
  return ErrorCodeText(static_cast<uint32_t>(-negative_errno));
}

struct Bus {
  ~Bus() { sd_bus_flush_close_unref(bus); }
  sd_bus* bus = nullptr;
};

struct BusError {
  ~BusError() { sd_bus_error_free(&error); }
  sd_bus_error error = SD_BUS_ERROR_NULL;
};

struct Message {
  ~Message() { sd_bus_message_unref(message); }
  sd_bus_message* message = nullptr;
};

bool StartsWith(const char* text, const char* prefix) {
  return text != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

/// A bus address that leads nowhere: a socket that is gone, or a bus that went away.
bool IsConnectionError(int result) {
  for (int code : {ENOENT, ECONNREFUSED, ENOTCONN, ECONNRESET, EPIPE, ENOMEDIUM})
    if (result == -code) return true;
  return false;
}

/// What a failed call means: no server (none owns the name, or the bus could not start one)
/// is no service; anything else is a failure of the service that is there.
NotifyResult CallFailed(int result, const sd_bus_error& error, std::string* why) {
  if (error.name == nullptr && IsConnectionError(result)) {
    *why = "no session bus (" + CodeText(result) + ")";
    return NotifyResult::kNoService;
  }
  const std::string said =
      error.name == nullptr ? CodeText(result)
                            : std::string(error.name) + ": " + (error.message ? error.message : "");
  if (sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN,
                             SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
      StartsWith(error.name, "org.freedesktop.DBus.Error.Spawn.")) {
    *why = "no notification service on the session bus (" + said + ")";
    return NotifyResult::kNoService;
  }
  if (result == -ETIMEDOUT) {
    *why = "the notification service did not answer within a second (" + CodeText(result) + ")";
    return NotifyResult::kFailed;
  }
  *why = "the notification service refused it (" + said + ")";
  return NotifyResult::kFailed;
}

/// Whether the server reads markup in bodies: then '&', '<' and '>' of a path must be escaped.
int ReadsBodyMarkup(sd_bus* bus, bool* markup, sd_bus_error* error) {
  Message reply;
  int result = sd_bus_call_method(bus, kService, kObject, kService, "GetCapabilities", error,
                                  &reply.message, "");
  if (result < 0) return result;
  char** capabilities = nullptr;
  result = sd_bus_message_read_strv(reply.message, &capabilities);
  if (result < 0) return result;
  *markup = false;
  for (char** capability = capabilities; *capability != nullptr; ++capability) {
    *markup = *markup || std::strcmp(*capability, "body-markup") == 0;
    free(*capability);
  }
  free(capabilities);
  return 0;
}

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else
      escaped += c;
  }
  return escaped;
}

/// The hints: the urgency (a byte), and the desktop entry the notification belongs to.
int AppendHints(sd_bus_message* message, Notification::Urgency urgency) {
  // The bus knows low, normal and critical: a warning is a normal one.
  const uint8_t level =
      urgency == Notification::Urgency::kCritical ? kUrgencyCritical : kUrgencyNormal;
  return sd_bus_message_append(message, "a{sv}", 2, "urgency", "y", level, "desktop-entry", "s",
                               kDesktopEntry);
}

int NotifyCall(sd_bus* bus, const Notification& notification, bool markup, sd_bus_error* error) {
  Message call;
  int result =
      sd_bus_message_new_method_call(bus, &call.message, kService, kObject, kService, "Notify");
  const std::string body = markup ? Escaped(notification.body) : notification.body;
  if (result >= 0)
    result = sd_bus_message_append(call.message, "susssas", "Quillstone", 0u, "quillstone",
                                   notification.summary.c_str(), body.c_str(), 0);
  if (result >= 0) result = AppendHints(call.message, notification.urgency);
  // -1: the server's own display time (critical ones stay until dismissed).
  if (result >= 0) result = sd_bus_message_append(call.message, "i", -1);
  if (result < 0) return result;
  Message reply;
  return sd_bus_call(bus, call.message, kCallMicros, error, &reply.message);
}

class DbusNotifier : public Notifier {
 public:
  NotifyResult Notify(const Notification& notification, std::string* why) override {
    Bus bus;
    BusError error;
    int result = sd_bus_open_user(&bus.bus);
    if (result < 0) {
      *why = "no session bus (" + CodeText(result) + ")";
      return NotifyResult::kNoService;
    }
    sd_bus_set_method_call_timeout(bus.bus, kCallMicros);
    bool markup = false;
    result = ReadsBodyMarkup(bus.bus, &markup, &error.error);
    if (result >= 0) result = NotifyCall(bus.bus, notification, markup, &error.error);
    if (result < 0) return CallFailed(result, error.error, why);
    return NotifyResult::kShown;
  }
};

}  // namespace

std::unique_ptr<Notifier> MakeDesktopNotifier() { return std::make_unique<DbusNotifier>(); }

}  // namespace qs
