// Lets the window thread handle what reached it (a worker's write to a control waits for
// that), for the tests that run workers beside a real window.
#pragma once

namespace qs::test {

/// Handles the window's events for about `millis` milliseconds.
void PumpEvents(int millis);

}  // namespace qs::test
