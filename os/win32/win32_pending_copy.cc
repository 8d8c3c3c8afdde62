// The copy of one file: its bytes, time and attributes go to a hidden temporary file, which
// is flushed and put in place by name only when the run is ready for it.
#include <windows.h>
// After windows.h, whose types it uses.
#include <utility>

#include "os/content_hash.h"
#include "os/win32/win32_copy_content.h"
#include "os/win32/win32_error.h"
#include "os/win32/win32_file_time.h"
#include "os/win32/win32_pending_copy.h"
#include "os/win32/win32_temp_file.h"

namespace qs::win32 {

namespace {

class Win32PendingCopy : public PendingCopy {
 public:
  Win32PendingCopy(ReplaceCalls& calls, std::wstring target)
      : calls_(calls), temp_(calls, std::move(target)) {}

  /// Copies the open source `in` into the temporary file, with its time and attributes;
  /// `opened` is the source's write state when it was opened.
  bool Fill(HANDLE in, const BY_HANDLE_FILE_INFORMATION& info, const WriteState& opened) {
    if (const uint32_t refused = CheckReplaceable(calls_, temp_.target())) return FailWith(refused);
    if (!temp_.Create(FILE_ATTRIBUTE_HIDDEN)) return false;
    ContentHasher hasher;
    if (!CopyFileData(in, temp_.handle(), info, &hasher)) return false;
    // Taken again after the last byte: a file rewritten meanwhile would be a mix of two.
    WriteState now;
    if (!WriteStateOf(in, &now)) return false;
    if (!(now == opened)) return FailWith(kErrorSourceChanged);
    if (!SetFileTime(temp_.handle(), nullptr, nullptr, &info.ftLastWriteTime)) return Fail();
    attributes_error_ = CopyAttributes(temp_.handle(), info.dwFileAttributes);
    BY_HANDLE_FILE_INFORMATION written;
    if (GetFileInformationByHandle(temp_.handle(), &written))
      volume_ = written.dwVolumeSerialNumber;
    content_ = {true, SizeOf(info.nFileSizeHigh, info.nFileSizeLow), TimeOf(info.ftLastWriteTime),
                true, hasher.Result()};
    return true;
  }

  uint64_t Volume() const override { return volume_; }
  // Windows has no flush of a whole volume: each copy is flushed on its own.
  bool FlushedWithVolume() const override { return false; }
  bool Flush() override { return temp_.Flush(); }
  bool Publish() override { return temp_.Publish(); }
  bool PublishNew() override { return temp_.PublishNew(); }
  uint32_t AttributesNotKept() const override { return attributes_error_; }
  CopiedContent Content() const override { return content_; }

 private:
  ReplaceCalls& calls_;
  TempFile temp_;
  uint64_t volume_ = 0;
  uint32_t attributes_error_ = 0;
  CopiedContent content_;
};

}  // namespace

std::unique_ptr<PendingCopy> CopyToPending(ReplaceCalls& calls, HANDLE in,
                                           const BY_HANDLE_FILE_INFORMATION& info,
                                           const WriteState& opened, std::wstring target) {
  auto copy = std::make_unique<Win32PendingCopy>(calls, std::move(target));
  if (!copy->Fill(in, info, opened)) return nullptr;
  return copy;
}

}  // namespace qs::win32
