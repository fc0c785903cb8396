// pelmou.dll, the tools library: stopwatches on the performance counter, an RTF document
// writer, window bitmaps and the message pump. Every function uses the standard Windows
// calling convention and is exported under its plain name.
#pragma once

#include <windows.h>

#ifdef PELMOU_BUILD
#define PELMOU_API __declspec(dllexport)
#else
#define PELMOU_API __declspec(dllimport)
#endif

// Stopwatch modes.
#define SW_RESTART 1  // restart the stopwatch (result 0.0)
#define SW_ELAPSED 2  // milliseconds since the last restart
#define SW_NOW 4      // with handle 0: milliseconds from a fixed origin

// RTF_AddText flags (see docs/pelmou.md).
#define RTF_TITLE 0x208
#define RTF_HEADING 0x200
#define RTF_PLAIN 0

// RTF_AddImage flag: the rows were reversed (FlipImage) after the header was filled, so they
// run opposite to what the sign of biHeight says.
#define RTF_IMAGE_FLIPPED 0x200

#ifdef __cplusplus
extern "C" {
#endif

PELMOU_API DWORD WINAPI OpenStopWatch(void);
PELMOU_API double WINAPI StopWatch(DWORD handle, DWORD mode);
PELMOU_API void WINAPI CloseStopWatch(DWORD handle);

// A document handle, or 0 when the file cannot be created. The document appears at the path
// only when RTF_Close completes it.
PELMOU_API HANDLE WINAPI RTF_Create(LPCWSTR path);
// 1 when the text was appended, 0 for a bad handle or text or a document that failed.
PELMOU_API int WINAPI RTF_AddText(HANDLE document, LPCWSTR text, DWORD flags);
// Appends a 24- or 32-bit BI_RGB picture; 1 on success, 0 when it is left out.
PELMOU_API int WINAPI RTF_AddImage(HANDLE document, BITMAPINFOHEADER* header, void* pixels,
                                   DWORD flags);
// Finishes the document and puts it at its path; releases the handle in any case.
PELMOU_API void WINAPI RTF_Close(HANDLE document);

// Fills the header of the window's picture (32 bits, bottom-up, biSizeImage the bytes of its
// pixels) and, with a buffer of at least the header's biSizeImage bytes, its pixels. Nonzero
// on success.
PELMOU_API int WINAPI GetWindowBitmap(HWND window, BITMAPINFOHEADER* header, void* pixels);
// Reverses the order of the rows in place; nonzero on success.
PELMOU_API int WINAPI FlipImage(BITMAPINFOHEADER header, void* pixels);
// Dispatches every pending message of the calling thread without waiting.
PELMOU_API void WINAPI ServiceMessageQueue(void);

#ifdef __cplusplus
}
#endif
