#pragma once

namespace jl {

class Launcher;

// Settles single-instance mode: sets singleInstance and isPrimary; a secondary
// forwards its arguments here. False when forwarding failed.
[[nodiscard]] bool setupSingleInstance(Launcher& launcher);
// A secondary's exit code: what the primary sends back.
[[nodiscard]] int waitForPrimary(Launcher& launcher);

} // namespace jl
