// Other threads post a call with Fl::awake and wait for the window thread to have run it,
// which is how SendMessageA behaves on Windows.
#include <FL/Fl.H>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/fltk_window_thread.h"

namespace qs::fltk {

namespace {

// Written once, before any other thread of the program exists.
std::thread::id g_windowThread;

struct PendingCall {
  const std::function<void()>* work = nullptr;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
};

void RunPendingCall(void* data) {
  auto* call = static_cast<PendingCall*>(data);
  (*call->work)();
  std::lock_guard<std::mutex> lock(call->mutex);
  call->done = true;
  call->finished.notify_one();
}

}  // namespace

void BecomeWindowThread() {
  g_windowThread = std::this_thread::get_id();
  Fl::lock();  // switches on FLTK's wake-ups from other threads
}

void RunOnWindowThread(const std::function<void()>& work) {
  if (std::this_thread::get_id() == g_windowThread) return work();
  PendingCall call;
  call.work = &work;
  // Fl::awake refuses only while its ring of pending calls is full.
  while (Fl::awake(RunPendingCall, &call) != 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::unique_lock<std::mutex> lock(call.mutex);
  call.finished.wait(lock, [&] { return call.done; });
}

std::string CutToCount(const std::string& text, int max_count) {
  if (max_count <= 0) return "";
  return text.substr(0, static_cast<size_t>(max_count - 1));
}

}  // namespace qs::fltk
