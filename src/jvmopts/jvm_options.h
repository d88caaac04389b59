#pragma once

namespace jl {

class Launcher;

// Publishes the runtime variables, sets the library-path option and rewrites Path.
void prepareLibraryPath(Launcher& launcher);
// Fills the VM option list, the output settings and the extra arguments. False
// after it has reported a missing class path; start-up goes on regardless.
[[nodiscard]] bool prepareJvmOptions(Launcher& launcher);

} // namespace jl
