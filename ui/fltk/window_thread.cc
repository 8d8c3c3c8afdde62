// Other threads write to the window under FLTK's lock, which the window thread gives up only
// while it waits for events, and wake it with Fl::awake. One wake-up is pending at a time, and
// what changed is shown at most every 40 ms: a backup run writes several entries per file,
// and drawing each one would make the run wait on the screen.
#include <FL/Fl.H>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ui/fltk/fltk_window_thread.h"

namespace qs::fltk {

namespace {

constexpr std::chrono::milliseconds kShowInterval{40};

// Written once, before any other thread of the program exists.
std::thread::id g_windowThread;
// Window thread only.
std::vector<ShownLater*> g_shown;
std::chrono::steady_clock::time_point g_lastShown;
bool g_showScheduled = false;

// Raised by the first write after the changes were last shown; every later write is shown with
// it, so it needs no wake-up of its own.
std::atomic<bool> g_wakePending{false};
// How deep the calling thread is in RunOnWindowThread: only the outermost call wakes.
thread_local int t_depth = 0;

void DoNothing(void*) {}

void ShowNow(void*) {
  g_wakePending = false;  // under the lock: a write from now on wakes the window thread again
  g_showScheduled = false;
  g_lastShown = std::chrono::steady_clock::now();
  for (ShownLater* shown : g_shown) shown->Show();
}

// Window thread: shows the changes now, or schedules that for when 40 ms have passed.
void ShowChanges() {
  if (g_showScheduled) return;
  const auto since = std::chrono::steady_clock::now() - g_lastShown;
  if (since >= kShowInterval) return ShowNow(nullptr);
  g_showScheduled = true;
  Fl::add_timeout(std::chrono::duration<double>(kShowInterval - since).count(), &ShowNow);
}

void Woken(void*) { ShowChanges(); }

void WakeWindowThread() {
  if (!g_wakePending.exchange(true)) Fl::awake(&Woken, nullptr);
}

}  // namespace

void BecomeWindowThread() {
  // FLTK's lock counts: taken again for a second window, it would never be let go.
  if (g_windowThread == std::this_thread::get_id()) return;
  g_windowThread = std::this_thread::get_id();
  Fl::lock();  // switches FLTK's lock and wake-ups on; the window thread holds it from now
  // FLTK 1.3 makes the lock of its wake-up ring at the first Fl::awake, unguarded: make it
  // here, before two other threads can race to do so.
  Fl::awake(&DoNothing, nullptr);
}

void RunOnWindowThread(const std::function<void()>& work) {
  const bool window_thread = std::this_thread::get_id() == g_windowThread;
  if (!window_thread && t_depth == 0) Fl::lock();
  ++t_depth;
  work();
  --t_depth;
  if (t_depth > 0) return;
  if (window_thread) return ShowChanges();
  Fl::unlock();
  WakeWindowThread();
}

// Made and destroyed on the window thread (a window's controls live as long as it does).
ShownLater::ShownLater() { g_shown.push_back(this); }

ShownLater::~ShownLater() { g_shown.erase(std::find(g_shown.begin(), g_shown.end(), this)); }

std::string CutToCount(const std::string& text, int max_count) {
  if (max_count <= 0) return "";
  return text.substr(0, static_cast<size_t>(max_count - 1));
}

}  // namespace qs::fltk
