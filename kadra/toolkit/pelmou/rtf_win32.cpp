// The RTF_ calls over the portable writer. A handle is the address of a writer this library
// created and has not yet closed; any other value is refused.
#include <cstdlib>
#include <mutex>
#include <set>
#include <string_view>

#include "pelmou.h"
#include "rtf_writer.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

namespace {

std::mutex lock;
std::set<pelmou::RtfWriter*> documents;

pelmou::RtfWriter* Find(HANDLE handle) {
    auto found = documents.find(static_cast<pelmou::RtfWriter*>(handle));
    return found == documents.end() ? nullptr : *found;
}

}  // namespace

extern "C" {

HANDLE WINAPI RTF_Create(LPCWSTR path) {
    if (path == nullptr || *path == 0) return nullptr;
    std::unique_ptr<pelmou::RtfWriter> writer = pelmou::RtfWriter::Create(std::wstring(path));
    if (!writer) return nullptr;
    std::lock_guard<std::mutex> guard(lock);
    return *documents.insert(writer.release()).first;
}

int WINAPI RTF_AddText(HANDLE document, LPCWSTR text, DWORD flags) {
    std::lock_guard<std::mutex> guard(lock);
    pelmou::RtfWriter* writer = Find(document);
    if (writer == nullptr || text == nullptr) return 0;
    const std::u16string_view utf16(reinterpret_cast<const char16_t*>(text), wcslen(text));
    return writer->AddText(utf16, flags) ? 1 : 0;
}

int WINAPI RTF_AddImage(HANDLE document, BITMAPINFOHEADER* header, void* pixels, DWORD flags) {
    std::lock_guard<std::mutex> guard(lock);
    pelmou::RtfWriter* writer = Find(document);
    if (writer == nullptr || header == nullptr || pixels == nullptr) return 0;
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biCompression != BI_RGB ||
        header->biHeight == 0 || header->biHeight < -16384 || header->biHeight > 16384 ||
        header->biWidth <= 0) {
        return 0;
    }
    const int width = header->biWidth;
    const int height = std::abs(header->biHeight);
    const int bits = header->biBitCount;
    bool bottomUp = header->biHeight > 0;
    if (flags & RTF_IMAGE_FLIPPED) bottomUp = !bottomUp;
    const std::size_t size = pelmou::DibStride(width, bits) * static_cast<std::size_t>(height);
    const std::span<const uint8_t> rows(static_cast<const uint8_t*>(pixels), size);
    return writer->AddImage(width, height, bits,
                            bottomUp ? pelmou::RowOrder::BottomUp : pelmou::RowOrder::TopDown, rows)
               ? 1
               : 0;
}

void WINAPI RTF_Close(HANDLE document) {
    pelmou::RtfWriter* writer;
    {
        std::lock_guard<std::mutex> guard(lock);
        writer = Find(document);
        if (writer == nullptr) return;
        documents.erase(writer);
    }
    writer->Close();
    delete writer;
}

}  // extern "C"
