#pragma once

namespace jl {

class Launcher;

// Shows the configured splash picture; false only when the INI path beside the
// program cannot be formed.
[[nodiscard]] bool startSplash(Launcher& launcher);
// Stops the splash thread and destroys the window, if there is one.
void closeSplashWindow(Launcher& launcher);

} // namespace jl
