#include "rig/program_resources.h"

namespace jltest {

std::string resourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name) {
    HRSRC resource = FindResourceW(module, name, type);
    if (!resource) return {};
    const void* bytes = LockResource(LoadResource(module, resource));
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module, resource)) : std::string();
}

int iconWidth(HMODULE module, int side) {
    HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, side, side, 0));
    if (!icon) return 0;
    ICONINFO info{};
    BITMAP picture{};
    if (GetIconInfo(icon, &info)) GetObjectW(info.hbmColor, sizeof picture, &picture);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return picture.bmWidth;
}

std::string fileVersionBlock(const std::wstring& path) {
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
    if (!block.empty() && !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) block.clear();
    return block;
}

std::wstring versionString(const std::string& block, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return L"<none>";
    return std::wstring(value, length ? length - 1 : 0);
}

} // namespace jltest
