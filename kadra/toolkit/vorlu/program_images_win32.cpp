// The program's images: its exports GetReslibRange and GetImageInf say which ids exist and how
// each is cut into frames; the pixels are BMP resources of type 120 or 123 of the program.
#include <windows.h>

#include <cstring>
#include <vector>

#include "dialog_state_win32.h"

namespace vorlu {
namespace {

using GetReslibRangeProc = DWORD(WINAPI*)();
using GetImageInfProc = int(WINAPI*)(int id, int reserved, DWORD* info);

constexpr WORD kImageTypes[] = {120, 123};

std::wstring ImageName(int id, int line) {
    return L"line " + std::to_wstring(line) + L": image " + std::to_wstring(id);
}

template <typename F>
F FindExport(HINSTANCE instance, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(instance, name)));
}

bool LoadImage(DialogState& state, int id, int line, GetImageInfProc getImageInf,
               std::wstring& error) {
    const std::wstring what = ImageName(id, line);
    // Room beyond the three words in case a program writes more than it should.
    DWORD words[16] = {};
    if (getImageInf(id, 0, words) == 0) {
        error = what + L": the program's GetImageInf does not know it.";
        return false;
    }
    HRSRC found = nullptr;
    for (WORD type : kImageTypes) {
        found = FindResourceW(state.instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
        if (found != nullptr) break;
    }
    HGLOBAL loaded = found != nullptr ? LoadResource(state.instance, found) : nullptr;
    const auto* data =
        loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (data == nullptr) {
        error = what + L": the program has no BMP resource of type 120 or 123 with this id.";
        return false;
    }
    const size_t size = SizeofResource(state.instance, found);
    BitmapResource bitmap;
    std::string fault;
    if (!ParseBitmapResource(data, size, bitmap, fault)) {
        error = what + L": " + Widen(fault) + L".";
        return false;
    }
    const uint32_t info[3] = {words[0], words[1], words[2]};
    ImageLayout layout;
    if (!LayoutImage(bitmap.width, bitmap.height, info, layout, fault)) {
        error = what + L": " + Widen(fault) + L".";
        return false;
    }
    // The header copied to aligned memory; the DIB section gets the same format and rows.
    std::vector<uint8_t> header(bitmap.infoSize);
    std::memcpy(header.data(), data + bitmap.infoOffset, bitmap.infoSize);
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(header.data()),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (handle == nullptr || bits == nullptr) {
        error = what + L": no memory for the bitmap.";
        if (handle != nullptr) DeleteObject(handle);
        return false;
    }
    std::memcpy(bits, data + bitmap.pixelOffset, bitmap.stride * bitmap.height);
    // A colour key wins over an alpha channel; BI_BITFIELDS images keep theirs unread.
    const auto* header0 = reinterpret_cast<const BITMAPINFOHEADER*>(header.data());
    if (bitmap.bitCount == 32 && header0->biCompression == BI_RGB && !layout.transparent) {
        layout.alpha = PremultiplyIfAlpha(static_cast<uint8_t*>(bits), bitmap.stride, bitmap.width,
                                          bitmap.height);
    }
    GdiFlush();
    auto image = std::make_unique<ProgramImage>();
    image->id = id;
    image->bitmap = handle;
    image->width = bitmap.width;
    image->height = bitmap.height;
    image->layout = layout;
    state.images.push_back(std::move(image));
    return true;
}

}  // namespace

bool LoadProgramImages(DialogState& state, std::wstring& error) {
    GetReslibRangeProc getRange = nullptr;
    GetImageInfProc getImageInf = nullptr;
    bool exportsChecked = false;
    DWORD low = 0;
    DWORD high = 0;
    for (const ScriptControl& control : state.script.controls) {
        if (control.image == 0) continue;
        bool known = false;
        for (const auto& image : state.images)
            known = known || image->id == control.image;
        if (known) continue;
        if (!exportsChecked) {
            getRange = FindExport<GetReslibRangeProc>(state.instance, "GetReslibRange");
            getImageInf = FindExport<GetImageInfProc>(state.instance, "GetImageInf");
            const wchar_t* missing = getRange == nullptr      ? L"GetReslibRange"
                                     : getImageInf == nullptr ? L"GetImageInf"
                                                              : nullptr;
            if (missing != nullptr) {
                error = ImageName(control.image, control.line) + L": the program exports no " +
                        missing + L", which the dialog library needs to draw images.";
                return false;
            }
            const DWORD range = getRange();
            low = range & 0xFFFF;
            high = range >> 16;
            exportsChecked = true;
        }
        if (static_cast<DWORD>(control.image) < low || static_cast<DWORD>(control.image) > high) {
            error = ImageName(control.image, control.line) +
                    L": outside the program's image range " + std::to_wstring(low) + L" to " +
                    std::to_wstring(high) + L" (GetReslibRange).";
            return false;
        }
        if (!LoadImage(state, control.image, control.line, getImageInf, error)) return false;
    }
    return true;
}

void FreeProgramImages(DialogState& state) {
    for (auto& image : state.images) {
        if (image->bitmap != nullptr) DeleteObject(image->bitmap);
        image->bitmap = nullptr;
    }
    state.images.clear();
}

}  // namespace vorlu
