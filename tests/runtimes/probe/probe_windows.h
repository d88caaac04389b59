#pragma once
// What the probe's Java program shows on the screen, and what the probe sees
// there: Win32 windows, which the bridge's Java windows are not.

namespace probe {

// Records "windows at=<moment> classes=<list>": the class names of the
// process's visible top-level windows, in z-order, comma-separated.
void recordVisibleWindows(const char* moment);

// main's part of the scenario: waits up to waitMs (handling messages) or until
// the test sets the event "JlProbeRelease.<process id>", recording the visible
// windows at the start and whenever they change ("at=main") and at the end
// ("at=main-end"). windowAfterMs >= 0 opens a visible top-level window that many
// milliseconds into the wait; it is closed at the end.
void showWindowAndWait(long windowAfterMs, unsigned long waitMs);

} // namespace probe
