#include "runtime/jre_not_found_dialog.h"

#include <shlobj.h>

#include "resources/resource_ids.h"
#include "runtime/hyperlink.h"
#include "runtime/runtime_search.h"
#include "support/com_apartment.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/module.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/window.h"

namespace jl {

namespace {

inline void freeItemList(PIDLIST_ABSOLUTE list) { CoTaskMemFree(list); }
using UniqueItemList = UniqueNullable<PIDLIST_ABSOLUTE, freeItemList>;

std::wstring controlText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

class JreNotFoundDialog : public ModalDialog {
public:
    JreNotFoundDialog(const std::wstring& message, JvmType jvmType, bool pairProductSet)
        : message_(message), jvmType_(jvmType), pairProductSet_(pairProductSet) {}

    JreNotFoundChoice choice;

protected:
    bool onInit() override {
        if (!link_.attach(item(IDC_JRE_LINK))) trace<TraceTopic::runtime>("the download link could not be made live");
        SetDlgItemTextW(handle(), IDC_JRE_MESSAGE, message_.c_str());
        browseHint_ = controlText(item(IDC_JRE_BROWSE_HINT));
        EnableWindow(item(IDOK), FALSE);
        centreInWorkArea(handle(), GetWindow(handle(), GW_OWNER));
        // OK starts disabled, so the first useful step takes the focus.
        SetFocus(item(IDC_JRE_BROWSE));
        return false;
    }

    bool onCommand(int id, int notification) override {
        if (id == IDC_JRE_BROWSE) {
            browse();
            return true;
        }
        // Enter reaches a disabled default button too.
        if (id == IDOK && !IsWindowEnabled(item(IDOK))) return true;
        return ModalDialog::onCommand(id, notification);
    }

private:
    void browse() {
        const ComApartment com;  // the new-style picker needs it
        const std::wstring title = loadString(kMsgBrowseForJre);
        wchar_t displayName[MAX_PATH] = L"";
        BROWSEINFOW request{};
        request.hwndOwner = handle();
        request.pszDisplayName = displayName;
        request.lpszTitle = title.c_str();
        request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
        const UniqueItemList chosen(SHBrowseForFolderW(&request));
        if (!chosen) return;

        wchar_t path[MAX_PATH] = L"";
        if (!SHGetPathFromIDListW(chosen.get(), path)) path[0] = L'\0';
        SetDlgItemTextW(handle(), IDC_JRE_PATH_EDIT, path);
        choice.folder = path;
        if (!choice.folder.empty() && choice.folder.back() != L'\\') choice.folder += L'\\';
        choice.jvmLibraryPath = choice.folder.empty() ? std::wstring() : findJvmLibrary(choice.folder, jvmType_);
        trace<TraceTopic::runtime>("browsed to {}{}{}", Quoted{choice.folder},
                                   choice.jvmLibraryPath.empty() ? ", which holds no usable jvm.dll" : ", which holds ",
                                   Quoted{choice.jvmLibraryPath});
        const ImageBitness bitness =
            choice.jvmLibraryPath.empty() ? ImageBitness::unusable : jvmImageBitness(choice.jvmLibraryPath);
        // Remembered, a runtime that cannot run would end every later start.
        const bool accepted = bitness == ImageBitness::x64 || (bitness == ImageBitness::x86 && pairProductSet_);
        const bool refused32Bit = bitness == ImageBitness::x86 && !accepted;
        if (!choice.jvmLibraryPath.empty() && !accepted) {
            trace<TraceTopic::runtime>("refused: {}", refused32Bit
                                                          ? "a 32-bit jvm.dll, and no \"Pair Product\" to run it"
                                                          : "the jvm.dll is no whole x64 or x86 image");
        }
        SetDlgItemTextW(handle(), IDC_JRE_BROWSE_HINT,
                        refused32Bit ? loadString(kMsgRuntimeIs32Bit).c_str() : browseHint_.c_str());
        EnableWindow(item(IDOK), accepted);
    }

    const std::wstring& message_;
    JvmType jvmType_;
    bool pairProductSet_;
    std::wstring browseHint_;  // from the template, shown again when a later folder serves
    Hyperlink link_;
};

} // namespace

INT_PTR runJreNotFoundDialog(HWND owner, const std::wstring& message, JvmType jvmType, bool pairProductSet,
                             JreNotFoundChoice& choice) {
    JreNotFoundDialog dialog(message, jvmType, pairProductSet);
    const INT_PTR result = dialog.run(programInstance(), IDD_JRE_NOT_FOUND, owner);
    if (result == IDOK) choice = dialog.choice;
    return result == IDOK || result == IDCANCEL ? result : -1;
}

} // namespace jl
