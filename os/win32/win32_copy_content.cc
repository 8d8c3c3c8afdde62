// Reads and writes go in 1 MiB pieces through one buffer per thread. Holes are found with
// FSCTL_QUERY_ALLOCATED_RANGES; a volume or system without it (FAT, a network share, Wine)
// gets every byte.
#include <windows.h>
// After windows.h, whose types it uses.
#include <winioctl.h>

#include <algorithm>
#include <vector>

#include "os/win32/win32_copy_content.h"
#include "os/win32/win32_error.h"
#include "os/win32/win32_sparse_ranges.h"

namespace qs::win32 {

namespace {

constexpr DWORD kPiece = 1 << 20;

std::vector<char>& Buffer() {
  thread_local std::vector<char> buffer(kPiece);
  return buffer;
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

bool WriteAllAt(HANDLE out, const char* data, DWORD size, uint64_t offset) {
  for (DWORD done = 0; done < size;) {
    OVERLAPPED at = At(offset + done);
    DWORD written = 0;
    if (!WriteFile(out, data + done, size - done, &written, &at)) return Fail();
    done += written;
  }
  return true;
}

bool CopyEverything(HANDLE in, HANDLE out, ContentHasher* hasher) {
  std::vector<char>& buffer = Buffer();
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), kPiece, &got, nullptr)) return Fail();
    if (got == 0) return true;
    if (hasher) hasher->Add(buffer.data(), got);
    if (!WriteAll(out, std::string_view(buffer.data(), got))) return false;
  }
}

bool SetEnd(HANDLE file, uint64_t size) {
  FILE_END_OF_FILE_INFO end;
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) || Fail();
}

/// After the source shrank during the copy, the copy ends where the source now ends.
bool EndWhereTheSourceEnds(HANDLE in, HANDLE out) {
  LARGE_INTEGER size;
  return (GetFileSizeEx(in, &size) || Fail()) && SetEnd(out, static_cast<uint64_t>(size.QuadPart));
}

/// Copies one range at the same offsets; `*short_file` when the source ended early.
bool CopyRange(HANDLE in, HANDLE out, const ByteRange& range, bool* short_file,
               ContentHasher* hasher) {
  std::vector<char>& buffer = Buffer();
  for (uint64_t done = 0; done < range.length;) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kPiece, range.length - done));
    OVERLAPPED at = At(range.offset + done);
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), want, &got, &at) && GetLastError() != ERROR_HANDLE_EOF)
      return Fail();
    if (got == 0) {
      *short_file = true;
      return true;
    }
    if (hasher) hasher->Add(buffer.data(), got);
    if (!WriteAllAt(out, buffer.data(), got, range.offset + done)) return false;
    done += got;
  }
  return true;
}

bool QueryRanges(HANDLE in, uint64_t offset, uint64_t length, std::vector<ByteRange>* ranges,
                 bool* more) {
  FILE_ALLOCATED_RANGE_BUFFER query, answer[64];
  query.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
  query.Length.QuadPart = static_cast<LONGLONG>(length);
  DWORD bytes = 0;
  const BOOL done = DeviceIoControl(in, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, answer,
                                    sizeof answer, &bytes, nullptr);
  *more = !done && GetLastError() == ERROR_MORE_DATA;
  if (!done && !*more) return false;
  for (DWORD i = 0; i < bytes / sizeof answer[0]; ++i)
    ranges->push_back({static_cast<uint64_t>(answer[i].FileOffset.QuadPart),
                       static_cast<uint64_t>(answer[i].Length.QuadPart)});
  return true;
}

/// Marks `out` sparse and lists the ranges of `in` that hold data; false when either volume
/// cannot (nothing has been written then).
bool PlanSparseCopy(HANDLE in, HANDLE out, uint64_t size, std::vector<ByteRange>* ranges) {
  DWORD bytes = 0;
  if (!DeviceIoControl(out, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &bytes, nullptr))
    return false;
  return ListAllocatedRanges(
      [in](uint64_t offset, uint64_t length, std::vector<ByteRange>* found, bool* more) {
        return QueryRanges(in, offset, length, found, more);
      },
      size, ranges);
}

bool CopyRanges(HANDLE in, HANDLE out, const std::vector<ByteRange>& ranges, uint64_t size,
                ContentHasher* hasher) {
  if (!SetEnd(out, size)) return false;
  uint64_t hashed = 0;  // the holes between ranges read as zeros
  for (const ByteRange& range : ranges) {
    if (hasher && range.offset > hashed) hasher->AddZeros(range.offset - hashed);
    bool short_file = false;
    if (!CopyRange(in, out, range, &short_file, hasher)) return false;
    if (short_file) return EndWhereTheSourceEnds(in, out);
    hashed = std::max(hashed, range.offset + range.length);
  }
  if (hasher && size > hashed) hasher->AddZeros(size - hashed);
  return true;
}

}  // namespace

bool WriteAll(HANDLE out, std::string_view data) {
  while (!data.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size(), kPiece));
    DWORD written = 0;
    if (!WriteFile(out, data.data(), want, &written, nullptr)) return Fail();
    data.remove_prefix(written);
  }
  return true;
}

bool CopyFileData(HANDLE in, HANDLE out, const BY_HANDLE_FILE_INFORMATION& info,
                  ContentHasher* hasher) {
  const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  std::vector<ByteRange> ranges;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0 && size > 0 &&
      PlanSparseCopy(in, out, size, &ranges))
    return CopyRanges(in, out, ranges, size, hasher);
  return CopyEverything(in, out, hasher);
}

uint32_t CopyAttributes(HANDLE out, DWORD attributes) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL;
  if (SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic)) return 0;
  return GetLastError();
}

}  // namespace qs::win32
