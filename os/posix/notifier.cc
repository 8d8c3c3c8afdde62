// org.freedesktop.Notifications over sd-bus. A fresh connection for each notification: runs
// are minutes apart, and a connection of its own keeps the notifier free of threads' concerns.
// Each call is bounded by a timeout of one second, so a bus or a server that hangs costs a
// run at most two seconds.
#include "os/notifier.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "os/error_text.h"

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
  if (capabilities == nullptr) return 0;
  for (char** capability = capabilities; *capability != nullptr; ++capability) {
    *markup = *markup || std::strcmp(*capability, "body-markup") == 0;
    free(*capability);
  }
  free(capabilities);
  return 0;
}

/// The length of the UTF-8 sequence at `at`, or 0 when it is not one (stray, overlong,
/// surrogate, beyond U+10FFFF).
size_t Utf8Length(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = lead < 0x80   ? 1
                        : lead < 0xC2 ? 0
                        : lead < 0xE0 ? 2
                        : lead < 0xF0 ? 3
                        : lead < 0xF5 ? 4
                                      : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  const unsigned char second = length > 1 ? byte(at + 1) : 0;
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
    return 0;
  return length;
}

/// The bus takes UTF-8 only, and a POSIX name may be any bytes: each byte that is not part of
/// a UTF-8 character becomes U+FFFD, so that such a name never keeps a failure untold.
std::string AsUtf8(const std::string& text) {
  std::string valid;
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8Length(text, at);
    valid += length == 0 ? std::string("\xEF\xBF\xBD") : text.substr(at, length);
    at += length == 0 ? 1 : length;
  }
  return valid;
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
  const std::string summary = AsUtf8(notification.summary);
  const std::string body = markup ? Escaped(AsUtf8(notification.body)) : AsUtf8(notification.body);
  if (result >= 0)
    result = sd_bus_message_append(call.message, "susssas", "Quillstone", 0u, "quillstone",
                                   summary.c_str(), body.c_str(), 0);
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
