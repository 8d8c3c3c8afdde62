// CreateProcessW without a console window, standard output and error on one pipe large enough
// for all the system's tools say: the program is waited for (at most the time limit) before
// the pipe is read, so a program that hangs cannot hold the read. The command line is quoted
// by the C runtime's rules, so each argument arrives as itself. The system's tools write to a
// pipe in the console's OEM code page: their text is read in that.
#include "os/program_runner.h"

#include <windows.h>

#include "os/error_text.h"
#include "os/win32/win32_text.h"

namespace qs {

namespace {

constexpr DWORD kTimeLimitMillis = 60000;
constexpr DWORD kPipeBytes = 1 << 20;

/// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');  // before the closing quote
  return quoted + L"\"";
}

std::string FromOemText(const std::string& bytes) {
  const int units =
      MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                      units);
  return win32::WideToUtf8(wide);
}

std::string ReadAll(HANDLE pipe) {
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  // The program has ended: what it wrote is in the pipe, and the read ends at its end.
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &got, nullptr) && got > 0 &&
         ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return FromOemText(bytes);
}

bool Start(std::wstring line, HANDLE out, PROCESS_INFORMATION* process) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = out;
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, process);
}

class ProcessRunner : public ProgramRunner {
 public:
  ProgramOutput Run(const std::vector<std::string>& args) override {
    ProgramOutput result;
    std::wstring line;
    for (const std::string& arg : args)
      line += (line.empty() ? L"" : L" ") + Quoted(win32::Utf8ToWideForDisplay(arg));
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (args.empty() || !CreatePipe(&read_end, &write_end, &inherit, kPipeBytes)) return result;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process = {};
    const bool started = Start(line, write_end, &process);
    const DWORD start_error = GetLastError();
    CloseHandle(write_end);
    if (!started) {
      CloseHandle(read_end);
      result.output = args[0] + " could not be started: " + ErrorCodeText(start_error);
      return result;
    }
    Finish(process, args[0], &result);
    result.output = ReadAll(read_end) + result.output;
    CloseHandle(read_end);
    return result;
  }

 private:
  static void Finish(const PROCESS_INFORMATION& process, const std::string& name,
                     ProgramOutput* result) {
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, kTimeLimitMillis) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
      result->output += name + " did not end within 60 seconds and was stopped.";
    } else if (GetExitCodeProcess(process.hProcess, &code)) {
      result->status = static_cast<int>(code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
};

}  // namespace

std::unique_ptr<ProgramRunner> MakeProgramRunner() { return std::make_unique<ProcessRunner>(); }

}  // namespace qs
