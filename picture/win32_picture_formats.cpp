#include "picture/win32_picture_formats.h"

#include <windows.h>
#include <wincodec.h>

#include "picture/picture_formats.h"

// What every WIC since Vista decodes, for a machine where it cannot be asked.
static const char kFallbackExtensions[] =
    ".bmp,.dib,.jpg,.jpeg,.jpe,.jfif,.png,.gif,.tif,.tiff,.ico";

static std::string NarrowText(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

static void AddCodecExtensions(IUnknown* component, std::vector<std::string>& extensions)
{
    IWICBitmapCodecInfo* codec = nullptr;
    if (FAILED(component->QueryInterface(IID_IWICBitmapCodecInfo,
                                         reinterpret_cast<void**>(&codec)))) {
        return;
    }
    // The first call asks for the length, the second fills the list.
    UINT length = 0;
    if (SUCCEEDED(codec->GetFileExtensions(0, nullptr, &length)) && length > 0) {
        std::wstring list(length, L'\0');
        if (SUCCEEDED(codec->GetFileExtensions(length, &list[0], &length))) {
            AddPictureExtensions(extensions, NarrowText(list.c_str()));
        }
    }
    (void)codec->Release();
}

static void AddDecoderExtensions(IWICImagingFactory* factory,
                                 std::vector<std::string>& extensions)
{
    IEnumUnknown* decoders = nullptr;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault,
                                                  &decoders))) {
        return;
    }
    IUnknown* component = nullptr;
    ULONG fetched = 0;
    while (decoders->Next(1, &component, &fetched) == S_OK && fetched == 1) {
        AddCodecExtensions(component, extensions);
        (void)component->Release();
    }
    (void)decoders->Release();
}

std::vector<std::string> DecodablePictureExtensions()
{
    std::vector<std::string> extensions;
    // S_FALSE means the thread had an apartment already; it still wants its
    // CoUninitialize.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
        AddDecoderExtensions(factory, extensions);
        (void)factory->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    if (extensions.empty()) {
        AddPictureExtensions(extensions, kFallbackExtensions);
    }
    return extensions;
}

std::string PictureFileFilter()
{
    return PictureFilterText(DecodablePictureExtensions());
}
