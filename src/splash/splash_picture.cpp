#include "splash/splash_picture.h"

#include "support/module.h"

namespace jl {

namespace {

// The few entries of the flat GDI+ interface the picture needs. GDI+ is bound at
// run time so that a launch without the splash window never loads it, and so
// that it can only come from the system folder.
struct GdiplusStartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
using GpStatus = int;
constexpr GpStatus kOk = 0;
constexpr int kInterpolationModeHighQualityBicubic = 7;
constexpr int kWrapModeTileFlipXY = 3;
constexpr int kUnitPixel = 2;

class GdiPlus {
public:
    GdiPlus() : module_(loadSystemLibrary(L"gdiplus.dll")) {
        const auto startup =
            module_.resolve<GpStatus(WINAPI*)(ULONG_PTR*, const GdiplusStartupInput*, void*)>("GdiplusStartup");
        shutdown_ = module_.resolve<void(WINAPI*)(ULONG_PTR)>("GdiplusShutdown");
        createBitmapFromFile = module_.resolve<decltype(createBitmapFromFile)>("GdipCreateBitmapFromFile");
        getImageWidth = module_.resolve<decltype(getImageWidth)>("GdipGetImageWidth");
        getImageHeight = module_.resolve<decltype(getImageHeight)>("GdipGetImageHeight");
        disposeImage = module_.resolve<decltype(disposeImage)>("GdipDisposeImage");
        createFromHdc = module_.resolve<decltype(createFromHdc)>("GdipCreateFromHDC");
        setInterpolationMode = module_.resolve<decltype(setInterpolationMode)>("GdipSetInterpolationMode");
        deleteGraphics = module_.resolve<decltype(deleteGraphics)>("GdipDeleteGraphics");
        createImageAttributes = module_.resolve<decltype(createImageAttributes)>("GdipCreateImageAttributes");
        setWrapMode = module_.resolve<decltype(setWrapMode)>("GdipSetImageAttributesWrapMode");
        disposeImageAttributes = module_.resolve<decltype(disposeImageAttributes)>("GdipDisposeImageAttributes");
        drawImageRectRect = module_.resolve<decltype(drawImageRectRect)>("GdipDrawImageRectRectI");
        const bool complete = startup && shutdown_ && createBitmapFromFile && getImageWidth && getImageHeight &&
                              disposeImage && createFromHdc && setInterpolationMode && deleteGraphics &&
                              createImageAttributes && setWrapMode && disposeImageAttributes && drawImageRectRect;
        const GdiplusStartupInput input;
        if (complete && startup(&token_, &input, nullptr) != kOk) token_ = 0;
    }
    ~GdiPlus() {
        if (token_) shutdown_(token_);
    }
    GdiPlus(const GdiPlus&) = delete;
    GdiPlus& operator=(const GdiPlus&) = delete;

    [[nodiscard]] bool started() const { return token_ != 0; }

    GpStatus(WINAPI* createBitmapFromFile)(const WCHAR*, void**) = nullptr;
    GpStatus(WINAPI* getImageWidth)(void*, UINT*) = nullptr;
    GpStatus(WINAPI* getImageHeight)(void*, UINT*) = nullptr;
    GpStatus(WINAPI* disposeImage)(void*) = nullptr;
    GpStatus(WINAPI* createFromHdc)(HDC, void**) = nullptr;
    GpStatus(WINAPI* setInterpolationMode)(void*, int) = nullptr;
    GpStatus(WINAPI* deleteGraphics)(void*) = nullptr;
    GpStatus(WINAPI* createImageAttributes)(void**) = nullptr;
    GpStatus(WINAPI* setWrapMode)(void*, int, DWORD, BOOL) = nullptr;
    GpStatus(WINAPI* disposeImageAttributes)(void*) = nullptr;
    GpStatus(WINAPI* drawImageRectRect)(void*, void*, INT, INT, INT, INT, INT, INT, INT, INT, int, void*, void*,
                                        void*) = nullptr;

private:
    Module module_;
    void(WINAPI* shutdown_)(ULONG_PTR) = nullptr;
    ULONG_PTR token_ = 0;
};

// Started once per process (the static's initialisation is thread-safe); shut
// down at process exit.
const GdiPlus& gdiPlus() {
    static const GdiPlus instance;
    return instance;
}

void releaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }

void drawImage(const GdiPlus& gdi, void* image, HDC target, int width, int height) {
    void* graphics = nullptr;
    if (gdi.createFromHdc(target, &graphics) != kOk) return;
    const ScopeExit deleteGraphics([&] { gdi.deleteGraphics(graphics); });
    gdi.setInterpolationMode(graphics, kInterpolationModeHighQualityBicubic);
    void* attributes = nullptr;
    if (gdi.createImageAttributes(&attributes) != kOk) return;
    const ScopeExit disposeAttributes([&] { gdi.disposeImageAttributes(attributes); });
    gdi.setWrapMode(attributes, kWrapModeTileFlipXY, 0xFF000000, FALSE);
    gdi.drawImageRectRect(graphics, image, 0, 0, width, height, 0, 0, width, height, kUnitPixel, attributes, nullptr,
                          nullptr);
}

} // namespace

UniqueGdiObject renderSplashPicture(const std::wstring& path, SIZE& size) {
    size = {0, 0};
    const GdiPlus& gdi = gdiPlus();
    void* image = nullptr;
    if (gdi.started() && gdi.createBitmapFromFile(path.c_str(), &image) != kOk) image = nullptr;
    const ScopeExit disposeImage([&] {
        if (image) gdi.disposeImage(image);
    });
    UINT width = 0, height = 0;
    if (image && (gdi.getImageWidth(image, &width) != kOk || gdi.getImageHeight(image, &height) != kOk)) {
        width = height = 0;
    }
    size = {static_cast<LONG>(width), static_cast<LONG>(height)};

    const UniqueNullable<HDC, releaseScreenDc> screen(GetDC(nullptr));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    if (!image || !bitmap) return bitmap;
    const UniqueNullable<HDC, detail::deleteDc> memory(CreateCompatibleDC(screen.get()));
    if (!memory) return bitmap;
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    drawImage(gdi, image, memory.get(), size.cx, size.cy);
    SelectObject(memory.get(), previous);
    return bitmap;
}

} // namespace jl
