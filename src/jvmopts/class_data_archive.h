#pragma once
// The per-application class-data archive ("Class Data Sharing" = "auto"): the
// first launch on a runtime has the VM write the classes it loaded at its end,
// later launches map them. The archive sits in the per-user local application
// data, named by a digest of its key (the runtime's folder and "release" file,
// and the class path's entries with their sizes and times), so a changed key
// simply finds no archive and makes a new one.

#include <string>

#include "jvmopts/jvm_options.h"
#include "settings/launcher_settings.h"

namespace jl {

struct ClassDataArchive {
    std::wstring archivePath;  // where the archive for this key lives
    std::wstring pendingPath;  // where this launch's VM writes it; empty when it writes none
};

// Appends -XX:SharedArchiveFile (the archive exists) or -XX:ArchiveClassesAtExit
// (it does not) after the other options, when the runtime beside jvmLibraryPath
// takes them; otherwise changes nothing and says why in the trace. Needs
// configuration.classPath. archive starts empty and is filled in place.
void prepareClassDataArchive(const std::wstring& programPath, const ProductIdentity& product,
                             const std::wstring& jvmLibraryPath, JvmConfiguration& configuration,
                             ClassDataArchive& archive);

// Once the VM has ended: a complete archive written under its temporary name
// takes its place. The VM writes it before it calls its exit hook or returns
// from DestroyJavaVM, so a half-written file never has the archive's name.
void settleClassDataArchive(ClassDataArchive& archive);

} // namespace jl
