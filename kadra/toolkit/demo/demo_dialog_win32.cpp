#include "demo_dialog_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "demo_resource.h"
#include "pelmou.h"

namespace vorlu_demo {
namespace {

std::mutex g_recordLock;
DemoRecord g_record;
HINSTANCE g_instance = nullptr;
std::wstring g_output;  // text of the output box
WNDPROC g_canvasProc = nullptr;
bool g_running = false;        // a run is in progress (the procedure is re-entered meanwhile)
bool g_stopRequested = false;  // Esc during the run

const wchar_t* const kModes[] = {L"Bars", L"Steps", L"Lines"};

XDIALOG* DialogOf(HWND window) {
    return reinterpret_cast<XDIALOG*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Append(XDIALOG* dialog, const std::wstring& line) {
    g_output += line + L"\r\n";
    SetControlText(dialog, kOut, g_output.c_str(), 0);
    SendMessageW(XDialogItem(dialog, kOut), EM_LINESCROLL, 0, 1000);
}

int CurrentMode(XDIALOG* dialog) {
    LRESULT mode = SendMessageW(XDialogItem(dialog, kMode), CB_GETCURSEL, 0, 0);
    return mode == CB_ERR ? 0 : static_cast<int>(mode);
}

// The drawing: as many bars as the count says, in the chosen mode.
void DrawCanvas(XDIALOG* dialog, HDC dc) {
    HWND canvas = XDialogItem(dialog, kCanvas);
    RECT area;
    GetClientRect(canvas, &area);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int count = GetControlInt(dialog, kCount, 0);
    if (count < 1) count = 1;
    if (count > 40) count = 40;
    const int mode = CurrentMode(dialog);
    const COLORREF colour = IsControlChecked(dialog, kFast) ? RGB(255, 160, 40) : RGB(60, 200, 90);
    HPEN pen = CreatePen(PS_SOLID, 2, colour);
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int step = width / count;
    for (int i = 0; i < count; ++i) {
        int h = (i + 1) * (height - 20) / count;
        int x = area.left + i * step;
        if (mode == 0) {
            RECT bar{x + 2, area.bottom - h, x + step - 2, area.bottom};
            FillRect(dc, &bar, brush);
        } else if (mode == 1) {
            MoveToEx(dc, x, area.bottom - h, nullptr);
            LineTo(dc, x + step, area.bottom - h);
        } else {
            MoveToEx(dc, area.left, area.bottom, nullptr);
            LineTo(dc, x + step, area.bottom - h);
        }
    }
    SetTextColor(dc, RGB(220, 220, 220));
    SetBkMode(dc, TRANSPARENT);
    std::wstring label = std::wstring(kModes[mode]) + L", " + std::to_wstring(count);
    TextOutW(dc, area.left + 6, area.top + 6, label.c_str(), static_cast<int>(label.size()));
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(brush);
}

// The canvas is the library's; the demo subclasses it to keep its drawing on repaints.
LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        DrawCanvas(DialogOf(GetParent(window)), dc);
        EndPaint(window, &paint);
        std::lock_guard<std::mutex> lock(g_recordLock);
        ++g_record.canvasPaints;
        return 0;
    }
    return CallWindowProcW(g_canvasProc, window, message, wParam, lParam);
}

void Redraw(XDIALOG* dialog) {
    HWND canvas = XDialogItem(dialog, kCanvas);
    HDC dc = GetDC(canvas);
    DrawCanvas(dialog, dc);
    ReleaseDC(canvas, dc);
}

LRESULT OnControlsCreated(HWND window, XDIALOG* dialog) {
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        ++g_record.controlsCreated;
        g_record.window = window;
        g_record.dialog = dialog;
    }
    g_output.clear();
    HWND mode = XDialogItem(dialog, kMode);
    for (const wchar_t* name : kModes) {
        SendMessageW(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageW(mode, CB_SETCURSEL, 0, 0);
    ShowControl(dialog, kExtraLabel, 0);
    HWND canvas = XDialogItem(dialog, kCanvas);
    g_canvasProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CanvasProc)));
    Append(dialog, L"controls created");
    return 0;
}

void Step(XDIALOG* dialog, int delta) {
    int count = GetControlInt(dialog, kCount, 0) + delta;
    if (count < 0) count = 0;
    SetControlText(dialog, kCount, std::to_wstring(count).c_str(), 0);
    Redraw(dialog);
}

// A run as Kadra's tests run: on the dialog's thread, in steps timed by a stopwatch, pumping
// messages between steps so that Esc (507) can stop it.
void Run(XDIALOG* dialog, const wchar_t* how) {
    if (g_running) {
        Append(dialog, L"already running");
        return;
    }
    g_running = true;
    g_stopRequested = false;
    Append(dialog, std::wstring(L"start (") + how + L")");
    const int steps = 20;
    const DWORD watch = OpenStopWatch();
    StopWatch(watch, SW_RESTART);
    HWND canvas = XDialogItem(dialog, kCanvas);
    int done = 0;
    for (; done < steps && !g_stopRequested; ++done) {
        const double stepStart = StopWatch(watch, SW_ELAPSED);
        HDC dc = GetDC(canvas);
        RECT area;
        GetClientRect(canvas, &area);
        RECT bar{area.left, area.bottom - 8, area.left + (done + 1) * area.right / steps,
                 area.bottom};
        HBRUSH brush = CreateSolidBrush(RGB(90, 160, 255));
        FillRect(dc, &bar, brush);
        DeleteObject(brush);
        ReleaseDC(canvas, dc);
        SetControlText(dialog, kStatus, (L"running, step " + std::to_wstring(done + 1)).c_str(), 0);
        while (StopWatch(watch, SW_ELAPSED) - stepStart < 25.0 && !g_stopRequested) {
            ServiceMessageQueue();
            Sleep(1);
        }
    }
    const double elapsed = StopWatch(watch, SW_ELAPSED);
    CloseStopWatch(watch);
    const bool stopped = g_stopRequested;
    wchar_t line[128];
    swprintf(line, 128, L"run %ls after %d of %d steps, %.1f ms",
             stopped ? L"stopped" : L"finished", done, steps, elapsed);
    Append(dialog, line);
    SetControlText(dialog, kStatus, stopped ? L"stopped" : L"finished", 0);
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        ++(stopped ? g_record.runsStopped : g_record.runsFinished);
    }
    g_running = false;
    Redraw(dialog);
}

// An RTF log: a title, a heading, the output text and a picture of the window.
void WriteLog(HWND window, XDIALOG* dialog) {
    const std::wstring path = DemoLogPath();
    HANDLE log = RTF_Create(path.c_str());
    if (log == nullptr) {
        Append(dialog, L"cannot create the log " + path);
        return;
    }
    RTF_AddText(log, L"\\fs50 vorlu demo log\n", RTF_TITLE);
    RTF_AddText(log, L"What the dialog was told\n", RTF_HEADING);
    std::wstring text = g_output;
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    RTF_AddText(log, text.c_str(), RTF_PLAIN);
    RTF_AddText(log, L"The window\n", RTF_HEADING);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    if (GetWindowBitmap(window, &header, nullptr)) {
        std::vector<unsigned char> pixels(header.biSizeImage);
        if (GetWindowBitmap(window, &header, pixels.data()) && FlipImage(header, pixels.data())) {
            RTF_AddImage(log, &header, pixels.data(), RTF_IMAGE_FLIPPED);
        }
    }
    RTF_Close(log);
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        g_record.logPath = path;
    }
    Append(dialog, L"log written to " + path);
}

void OnControl(HWND window, XDIALOG* dialog, int code) {
    {
        std::lock_guard<std::mutex> lock(g_recordLock);
        g_record.codes.push_back(code);
    }
    const bool verbose = IsControlChecked(dialog, kVerbose) != 0;
    switch (code) {
        case kTabs: {
            int page =
                static_cast<int>(SendMessageW(XDialogItem(dialog, kTabs), TCM_GETCURSEL, 0, 0));
            Append(dialog, L"page " + std::to_wstring(page + 1));
            break;
        }
        case kMinus:
            Step(dialog, -1);
            break;
        case kPlus:
            Step(dialog, +1);
            break;
        case kStart:
        case XDC_START_KEY:
            Run(dialog, code == kStart ? L"button" : L"F5, code 506");
            break;
        case XDC_STOP_KEY:
            if (g_running) {
                g_stopRequested = true;
                std::lock_guard<std::mutex> lock(g_recordLock);
                ++g_record.stopsWhileRunning;
            }
            Append(dialog, g_running ? L"stop (Esc, code 507)" : L"Esc (code 507): nothing runs");
            break;
        case kLog:
            WriteLog(window, dialog);
            break;
        case kVerbose:
        case kFast:
            Append(dialog, std::wstring(code == kVerbose ? L"verbose " : L"fast ") +
                               (IsControlChecked(dialog, code) ? L"on" : L"off"));
            if (code == kFast) Redraw(dialog);
            break;
        case kApply: {
            wchar_t name[64] = L"";
            GetWindowTextW(XDialogItem(dialog, kName), name, 64);
            SetControlText(dialog, kStatus, (std::wstring(L"Hello, ") + name).c_str(), 0);
            break;
        }
        case kMessage:
            XMessageBox(window, L"A message box of the dialog library.", L"vorlu demo", 0, nullptr,
                        0);
            Append(dialog, L"message box closed");
            break;
        case kClear:
            g_output.clear();
            SetControlText(dialog, kOut, L"", 0);
            break;
        case kShowExtra:
            ShowControl(dialog, kExtraLabel, IsControlChecked(dialog, kShowExtra));
            break;
        case kReset:
            CheckControl(dialog, kVerbose, 1);
            CheckControl(dialog, kFast, 0);
            Append(dialog, L"switches reset");
            Redraw(dialog);
            break;
        default:
            break;
    }
    if (verbose && code != kClear) Append(dialog, L"  (control " + std::to_wstring(code) + L")");
}

}  // namespace

std::wstring DemoLogPath() {
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"vorlu-demo.rtf";
}

DemoRecord DemoRecordCopy() {
    std::lock_guard<std::mutex> lock(g_recordLock);
    return g_record;
}

void ResetDemoRecord() {
    std::lock_guard<std::mutex> lock(g_recordLock);
    g_record = DemoRecord{};
}

LRESULT CALLBACK DemoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    XDIALOG* dialog = window != nullptr ? DialogOf(window) : nullptr;
    if (dialog == nullptr) return 0;
    switch (message) {
        case XDM_CONTROLS_CREATED:
            return OnControlsCreated(window, dialog);
        case XDM_GET_ICON: {
            std::lock_guard<std::mutex> lock(g_recordLock);
            ++g_record.iconRequests;
            return reinterpret_cast<LRESULT>(LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_DEMO)));
        }
        case XDM_CONTROL:
            OnControl(window, dialog, static_cast<int>(wParam));
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kMode && HIWORD(wParam) == CBN_SELCHANGE) {
                {
                    std::lock_guard<std::mutex> lock(g_recordLock);
                    ++g_record.modeChanges;
                }
                Append(dialog, std::wstring(L"mode ") + kModes[CurrentMode(dialog)]);
                Redraw(dialog);
            }
            break;
        case kRunOnDialogThread:
            (*reinterpret_cast<std::function<void()>*>(lParam))();
            return 0;
        case WM_DESTROY: {
            std::lock_guard<std::mutex> lock(g_recordLock);
            g_record.window = nullptr;
            g_record.dialog = nullptr;
            break;
        }
        default:
            break;
    }
    return dialog->defaultProc(window, message, wParam, lParam);
}

LONG RunDemoDialog(HINSTANCE instance) {
    g_instance = instance;
    return XDialog(nullptr, 0, 0, MAKEINTRESOURCEW(IDR_DEMO_SCRIPT), instance, DemoDialogProc, 0, 0,
                   0, 0, 0, 1);
}

}  // namespace vorlu_demo
