#include "splash/java_splash.h"

#include "support/module.h"
#include "support/path_text.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

std::wstring findSplashLibrary(const std::wstring& jvmLibraryPath, const wchar_t* fileName) {
    std::wstring path = stripPathComponents(jvmLibraryPath, 2);
    if (path.empty()) return {};
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += fileName;
    return pathExists(path) ? path : std::wstring();
}

bool startJavaSplash(const std::wstring& libraryPath, const std::wstring& picturePath, SplashCloser& closer) {
    Module library(LoadLibraryExW(libraryPath.c_str(), nullptr, 0));
    if (!library) return false;
    const auto init = library.resolve<void (*)()>("SplashInit");
    const auto loadFile = library.resolve<int (*)(const char*)>("SplashLoadFile");
    const auto setFileJarName = library.resolve<void (*)(const char*, const char*)>("SplashSetFileJarName");
    closer.set(library.resolve<SplashCloser::CloseFunction>("SplashClose"));
    // Its close entry may be called as late as shutdown, so the library is never freed.
    library.release();
    if (!init || !loadFile || !setFileJarName) {
        trace<TraceTopic::splash>("{} lacks an entry point; the launcher's own window is used", Quoted{libraryPath});
        return false;
    }
    const std::string picture = toAnsiString(picturePath);
    init();
    loadFile(picture.c_str());
    setFileJarName(picture.c_str(), "");
    trace<TraceTopic::splash>("the runtime's splash library {} shows the picture", Quoted{libraryPath});
    return true;
}

} // namespace jl
