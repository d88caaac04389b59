#include "runtime/jre_not_found_dialog.h"

#include "support/trace.h"

namespace jl {

// The dialog is not built yet: it answers as if the user pressed Cancel.
INT_PTR runJreNotFoundDialog(HWND, const std::wstring& message, JvmType, JreNotFoundChoice&) {
    trace(L"runtime: JRE Not Found dialog not built yet, answering Cancel to ", Quoted{message});
    return IDCANCEL;
}

} // namespace jl
