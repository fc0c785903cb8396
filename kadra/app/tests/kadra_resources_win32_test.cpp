// What the dialog library reads from the program: the script, the images with their sizes and
// depths, the icon group, the menu, and the answers of the two image exports.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "kadra_resource_win32.h"

namespace {

const void* Resource(int id, int type, DWORD* size) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    if (!found) return nullptr;
    *size = SizeofResource(nullptr, found);
    return LockResource(LoadResource(nullptr, found));
}

TEST(KadraResources, ImagesAreWholeBmpFilesOfTheirSizeAndDepth) {
    struct Image {
        int id, type, width, height, bits;
    };
    for (const Image& image : {Image{2800, 120, 73, 69, 32}, Image{2061, 123, 30, 45, 24},
                               Image{2062, 123, 26, 39, 32}, Image{4410, 123, 140, 210, 24}}) {
        DWORD size = 0;
        const auto* bytes =
            static_cast<const unsigned char*>(Resource(image.id, image.type, &size));
        ASSERT_NE(bytes, nullptr) << image.id;
        ASSERT_GT(size, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
        const auto* file = reinterpret_cast<const BITMAPFILEHEADER*>(bytes);
        const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bytes + sizeof *file);
        EXPECT_EQ(file->bfType, 0x4D42) << image.id;
        EXPECT_EQ(file->bfSize, size) << image.id;
        EXPECT_EQ(info->biWidth, image.width) << image.id;
        EXPECT_EQ(info->biHeight, image.height) << image.id;
        EXPECT_EQ(info->biBitCount, image.bits) << image.id;
    }
}

TEST(KadraResources, ScriptNamesTheDialogAndEveryItem) {
    DWORD size = 0;
    const char* text = static_cast<const char*>(Resource(5002, 200, &size));
    ASSERT_NE(text, nullptr);
    const std::string script(text, size);
    EXPECT_NE(script.find("D Kadra 860 467"), std::string::npos);
    int controls = 0, statics = 0;
    for (size_t at = 0; at < script.size();) {
        size_t end = script.find('\n', at);
        if (end == std::string::npos) end = script.size();
        if (script.compare(at, 2, "C ") == 0) ++controls;
        if (script.compare(at, 2, "S ") == 0) ++statics;
        at = end + 1;
    }
    EXPECT_EQ(controls, 22);
    EXPECT_EQ(statics, 20);
}

TEST(KadraResources, IconGroupHasSizesForNormalAndDoubleScale) {
    HICON small = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102), IMAGE_ICON, 16, 16, 0));
    HICON large = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102), IMAGE_ICON, 64, 64, 0));
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(large, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 64);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(small);
    DestroyIcon(large);
}

TEST(KadraResources, MenuHasTheHelpPopupWithAbout) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MENUID");
    ASSERT_NE(menu, nullptr);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Help");
    GetMenuStringW(menu, KADRA_MENU_ABOUT, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&About Kadra");
    DestroyMenu(menu);
}

TEST(KadraResources, ImageExportsAnswerAsTheLibraryExpects) {
    HMODULE self = GetModuleHandleW(nullptr);
    // Through the generic function type, as the exports' own types differ from FARPROC.
    using Generic = void (*)();
    auto range = reinterpret_cast<DWORD(WINAPI*)()>(
        reinterpret_cast<Generic>(GetProcAddress(self, "GetReslibRange")));
    auto inf = reinterpret_cast<int(WINAPI*)(DWORD, DWORD, DWORD*)>(
        reinterpret_cast<Generic>(GetProcAddress(self, "GetImageInf")));
    ASSERT_NE(range, nullptr);
    ASSERT_NE(inf, nullptr);
    EXPECT_EQ(range(), 0x113A080Du);
    struct Row {
        DWORD id;
        int result;
        DWORD words[3];
    };
    constexpr DWORD kUntouched = 0xDEADBEEF;
    for (const Row& row :
         {Row{2800, 1, {2, 0x40000, kUntouched}}, Row{2061, 1, {5, 0x100, kUntouched}},
          Row{2062, 1, {5, 0x120, 0xC0C0C0}}, Row{4410, 1, {5, kUntouched, kUntouched}},
          Row{2063, 0, {kUntouched, kUntouched, kUntouched}}}) {
        DWORD words[3] = {kUntouched, kUntouched, kUntouched};
        EXPECT_EQ(inf(row.id, 0, words), row.result) << row.id;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(words[i], row.words[i]) << row.id << " word " << i;
    }
}

}  // namespace
