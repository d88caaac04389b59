#include "runtime/jre_not_found_dialog.h"

#include <shlobj.h>

#include "resources/resource_ids.h"
#include "runtime/hyperlink.h"
#include "runtime/runtime_search.h"
#include "support/com_apartment.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/window.h"

namespace jl {

namespace {

inline void freeItemList(PIDLIST_ABSOLUTE list) { CoTaskMemFree(list); }
using UniqueItemList = UniqueNullable<PIDLIST_ABSOLUTE, freeItemList>;

class JreNotFoundDialog : public ModalDialog {
public:
    JreNotFoundDialog(const std::wstring& message, JvmType jvmType) : message_(message), jvmType_(jvmType) {}

    JreNotFoundChoice choice;

protected:
    bool onInit() override {
        if (!link_.attach(item(IDC_JRE_LINK))) trace("runtime: the download link could not be made live");
        SetDlgItemTextW(handle(), IDC_JRE_MESSAGE, message_.c_str());
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
        trace("runtime: browsed to ", Quoted{choice.folder},
              choice.jvmLibraryPath.empty() ? ", which holds no usable jvm.dll" : ", which holds ",
              Quoted{choice.jvmLibraryPath});
        EnableWindow(item(IDOK), !choice.jvmLibraryPath.empty());
    }

    const std::wstring& message_;
    JvmType jvmType_;
    Hyperlink link_;
};

} // namespace

INT_PTR runJreNotFoundDialog(HWND owner, const std::wstring& message, JvmType jvmType, JreNotFoundChoice& choice) {
    JreNotFoundDialog dialog(message, jvmType);
    const INT_PTR result = dialog.run(GetModuleHandleW(nullptr), IDD_JRE_NOT_FOUND, owner);
    if (result == IDOK) choice = dialog.choice;
    return result == IDOK || result == IDCANCEL ? result : -1;
}

} // namespace jl
