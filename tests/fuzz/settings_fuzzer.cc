// libFuzzer target for the settings file. The first byte picks the mode: an even byte reads
// the rest as the file's content, an odd one makes a record of the rest and writes it out and
// back in. Either way a record written and read again must come back whole.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/settings_file.h"

namespace {

// Unlike the record made from the input, these differ in every field, so that a field the
// reader failed to take shows.
qs::AppSettings OtherDefaults(const qs::AppSettings& settings) {
  return {settings.sourceDir + "-default", settings.targetDir + "-default",
          settings.intervalMinutes == 60 ? 61 : 60, !settings.autoBackupEnabled,
          !settings.timeVersioning};
}

void ExpectRoundTrip(const qs::AppSettings& settings) {
  const qs::AppSettings back =
      qs::ParseSettings(qs::FormatSettings(settings), OtherDefaults(settings));
  if (back == settings) return;
  std::fprintf(stderr, "record lost on the way: interval %d -> %d, flags %d%d -> %d%d\n",
               settings.intervalMinutes, back.intervalMinutes, settings.autoBackupEnabled,
               settings.timeVersioning, back.autoBackupEnabled, back.timeVersioning);
  std::abort();
}

// What users can save: paths are single lines.
std::string PathWithoutLineFeeds(FuzzedDataProvider& data) {
  std::string path = data.ConsumeRandomLengthString(512);
  std::erase(path, '\n');
  return path;
}

void ReadContent(const uint8_t* bytes, size_t size) {
  const qs::AppSettings defaults{"default source", "default target", 60, false, true};
  const qs::AppSettings read =
      qs::ParseSettings(std::string(reinterpret_cast<const char*>(bytes), size), defaults);
  // A line feed always ends a path, so whatever was read can be written and read back.
  if (read.sourceDir.find('\n') != std::string::npos ||
      read.targetDir.find('\n') != std::string::npos)
    std::abort();
  ExpectRoundTrip(read);
}

void RoundTripRecord(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  qs::AppSettings settings;
  settings.intervalMinutes = data.ConsumeIntegral<int32_t>();
  settings.autoBackupEnabled = data.ConsumeBool();
  settings.timeVersioning = data.ConsumeBool();
  settings.sourceDir = PathWithoutLineFeeds(data);
  settings.targetDir = PathWithoutLineFeeds(data);
  ExpectRoundTrip(settings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  if (bytes[0] % 2 == 0) {
    ReadContent(bytes + 1, size - 1);
  } else {
    RoundTripRecord(bytes + 1, size - 1);
  }
  return 0;
}
