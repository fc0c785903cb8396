// XDialog: the dialog window from the program's script, its modal loop, the key hook and the
// library's default procedure.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_state_win32.h"
#include "vorlu.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace vorlu {
namespace {

constexpr wchar_t kDialogClass[] = L"VorluDialog";
constexpr WORD kScriptType = 200;
constexpr UINT kAboutCommand = 40001;

// Dialogs open on this thread, innermost last: the key hook looks for the one a key belongs to.
thread_local std::vector<HWND> t_dialogs;
thread_local HHOOK t_keyHook = nullptr;

// F5 and Esc anywhere in an open dialog become the dialog's key message, whichever loop (ours,
// a message pump of the program) takes them from the queue.
LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == WM_KEYDOWN &&
            (message->wParam == VK_F5 || message->wParam == VK_ESCAPE)) {
            for (auto it = t_dialogs.rbegin(); it != t_dialogs.rend(); ++it) {
                if (message->hwnd == *it || IsChild(*it, message->hwnd)) {
                    message->wParam = message->wParam == VK_F5 ? XDC_START_KEY : XDC_STOP_KEY;
                    message->message = kKeyMessage;
                    message->lParam = 0;
                    message->hwnd = *it;
                    break;
                }
            }
        }
    }
    return CallNextHookEx(t_keyHook, code, wParam, lParam);
}

std::wstring ResourceName(LPCWSTR script) {
    if (IS_INTRESOURCE(script)) return std::to_wstring(reinterpret_cast<ULONG_PTR>(script));
    return script != nullptr ? std::wstring(L"\"") + script + L"\"" : L"(none)";
}

std::wstring ModulePath(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(instance, path, MAX_PATH);
    return path;
}

void ShowScriptFault(HWND parent, const std::wstring& resource, HINSTANCE instance,
                     const std::wstring& fault) {
    std::wstring text = L"The dialog script " + resource + L" (resource type 200) of " +
                        ModulePath(instance) + L" cannot be used:\n\n" + fault;
    MessageBoxW(parent, text.c_str(), L"vorlu.dll", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void ShowAbout(DialogState& state) {
    std::wstring name = Widen(state.script.name);
    std::wstring text = name +
                        L"\n\nThis window is built by vorlu.dll, the dialog library, from the "
                        L"dialog script " +
                        state.resourceName + L" of the program.";
    std::wstring caption = L"About " + name;
    MessageBoxW(state.object.window, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void OnCommand(DialogState& state, WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) {
        if (LOWORD(wParam) == kAboutCommand && HIWORD(wParam) == 0) ShowAbout(state);
        return;
    }
    DialogItem* item = ItemOfWindow(state, reinterpret_cast<HWND>(lParam));
    if (item == nullptr || !item->isControl || HIWORD(wParam) != BN_CLICKED) return;
    switch (item->controlKind) {
        case ControlKind::Check:
            if (item->image != nullptr) {
                item->checked = !item->checked;
                InvalidateRect(item->window, nullptr, FALSE);
            }
            NotifyProgram(state, item->number);
            break;
        case ControlKind::Button:
            if (!item->pressedByMouse) NotifyProgram(state, item->number);
            break;
        case ControlKind::ImageButton:
            NotifyProgram(state, item->number);
            break;
        default:
            break;
    }
}

LRESULT OnNotify(DialogState& state, const NMHDR& header) {
    if (header.hwndFrom == state.tabs && header.code == TCN_SELCHANGE) {
        int selection = static_cast<int>(SendMessageW(state.tabs, TCM_GETCURSEL, 0, 0));
        if (selection >= 0) {
            ShowPage(state, selection + 1);
            NotifyProgram(state, state.tabsNumber);
        }
    }
    return 0;
}

LRESULT CALLBACK DefaultDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = StateOfWindow(window);
    if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_COMMAND:
            OnCommand(*state, wParam, lParam);
            return 0;
        case WM_NOTIFY:
            return OnNotify(*state, *reinterpret_cast<const NMHDR*>(lParam));
        case WM_DRAWITEM:
            DrawOwnerItem(*state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            // The output box is read-only but reads like a text window.
            DialogItem* item = ItemOfWindow(*state, reinterpret_cast<HWND>(lParam));
            if (item != nullptr && item->isControl && item->controlKind == ControlKind::Output) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        }
        case WM_KEYDOWN:
            if (wParam == VK_F5 || wParam == VK_ESCAPE) {
                NotifyProgram(*state, wParam == VK_F5 ? XDC_START_KEY : XDC_STOP_KEY);
                return 0;
            }
            break;
        case kKeyMessage:
            NotifyProgram(*state, static_cast<int>(wParam));
            return 0;
        case XDM_CONTROLS_CREATED:
        case XDM_GET_ICON:
        case XDM_CONTROL:
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window class procedure: every message goes to the program's procedure once the
// dialog object is attached (from WM_NCCREATE on).
LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* state = static_cast<DialogState*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        state->object.window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state->object));
    }
    DialogState* state = StateOfWindow(window);
    if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    XDIALOGPROC procedure = state->procedure != nullptr ? state->procedure : DefaultDialogProc;
    LRESULT result = procedure(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        state->object.window = nullptr;
        PostMessageW(nullptr, WM_NULL, 0, 0);  // wakes the modal loop
    }
    return result;
}

void RegisterDialogClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DialogWindowProc;
    wc.hInstance = LibraryInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kDialogClass;
    RegisterClassExW(&wc);
    RegisterItemClasses(LibraryInstance());
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    registered = true;
}

// The script text from the program's resource; false with a fault when it is not there.
bool ReadScript(HINSTANCE instance, LPCWSTR script, std::string& text, std::wstring& fault) {
    HRSRC found = FindResourceW(instance, script, MAKEINTRESOURCEW(kScriptType));
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        fault = L"the program has no such resource.";
        return false;
    }
    text.assign(static_cast<const char*>(data), SizeofResource(instance, found));
    // Resource compilers may pad a text resource with NUL bytes.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return true;
}

void RunModalLoop(DialogState& state) {
    HWND window = state.object.window;
    MSG message;
    while (IsWindow(window)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Someone asked the thread to end: close the dialog and pass the request on.
            DestroyWindow(window);
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

POINT WindowPosition(HWND parent, int x, int y, int width, int height) {
    if (x != 0 || y != 0) return {x, y};
    RECT area;
    if (parent == nullptr || !GetWindowRect(parent, &area)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    return {std::max<LONG>(area.left, (area.left + area.right - width) / 2),
            std::max<LONG>(area.top, (area.top + area.bottom - height) / 2)};
}

}  // namespace

HINSTANCE LibraryInstance() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void NotifyProgram(DialogState& state, int code) {
    if (state.object.window != nullptr) {
        SendMessageW(state.object.window, XDM_CONTROL, static_cast<WPARAM>(code), 0);
    }
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
    return out;
}

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

DialogItem* ItemOf(DialogState& state, int number) {
    for (auto& item : state.items) {
        if (item->number == number) return item.get();
    }
    return nullptr;
}

DialogItem* ItemOfWindow(DialogState& state, HWND window) {
    if (window == nullptr) return nullptr;
    for (auto& item : state.items) {
        if (item->window == window) return item.get();
    }
    return nullptr;
}

}  // namespace vorlu

using namespace vorlu;

extern "C" VORLU_API LONG WINAPI XDialog(HWND parent, int x, int y, LPCWSTR script,
                                         HINSTANCE instance, XDIALOGPROC procedure, DWORD, DWORD,
                                         DWORD, DWORD, DWORD, UINT) {
    auto state = std::make_unique<DialogState>();
    state->object.internal = state.get();
    state->object.defaultProc = DefaultDialogProc;
    state->procedure = procedure;
    state->instance = instance;
    state->parent = parent;
    state->resourceName = ResourceName(script);

    std::string text;
    std::wstring fault;
    if (!ReadScript(instance, script, text, fault)) {
        ShowScriptFault(parent, state->resourceName, instance, fault);
        return -1;
    }
    ParseResult parsed = ParseDialogScript(text);
    if (!parsed.ok) {
        ShowScriptFault(parent, state->resourceName, instance,
                        Widen(FormatScriptError(parsed.error)) + L".");
        return -1;
    }
    state->script = std::move(parsed.script);
    if (!LoadProgramImages(*state, fault)) {
        ShowScriptFault(parent, state->resourceName, instance, fault);
        FreeProgramImages(*state);
        return -1;
    }

    RegisterDialogClass();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HMENU menu = FindResourceW(instance, L"MENUID", MAKEINTRESOURCEW(4)) != nullptr
                     ? LoadMenuW(instance, L"MENUID")
                     : nullptr;
    RECT frame{0, 0, state->script.width, state->script.height};
    AdjustWindowRectEx(&frame, style, menu != nullptr, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT at = WindowPosition(parent, x, y, width, height);
    std::wstring caption = Widen(state->script.name);
    HWND window =
        CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, caption.c_str(), style, at.x, at.y,
                        width, height, parent, menu, LibraryInstance(), state.get());
    if (window == nullptr) {
        if (menu != nullptr) DestroyMenu(menu);
        ShowScriptFault(parent, state->resourceName, instance,
                        L"the dialog window could not be created (error " +
                            std::to_wstring(GetLastError()) + L").");
        FreeProgramImages(*state);
        return -1;
    }
    if (menu != nullptr) {
        // The menu bar may take more than one line: keep the client area at the script size.
        RECT client;
        GetClientRect(window, &client);
        int grow = state->script.height - (client.bottom - client.top);
        if (grow != 0)
            SetWindowPos(window, nullptr, 0, 0, width, height + grow,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!CreateDialogItems(*state, fault)) {
        DestroyWindow(window);
        ShowScriptFault(parent, state->resourceName, instance, fault);
        FreeProgramImages(*state);
        return -1;
    }

    t_dialogs.push_back(window);
    if (t_keyHook == nullptr) {
        t_keyHook = SetWindowsHookExW(WH_GETMESSAGE, KeyHook, nullptr, GetCurrentThreadId());
    }
    SendMessageW(window, XDM_CONTROLS_CREATED, 0, 0);
    if (IsWindow(window)) {
        HICON icon = reinterpret_cast<HICON>(SendMessageW(window, XDM_GET_ICON, 0, 0));
        if (icon != nullptr) {
            SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
    }
    if (IsWindow(window)) {
        if (parent != nullptr) EnableWindow(parent, FALSE);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        RunModalLoop(*state);
        if (parent != nullptr) {
            EnableWindow(parent, TRUE);
            SetActiveWindow(parent);
        }
    }
    t_dialogs.erase(std::remove(t_dialogs.begin(), t_dialogs.end(), window), t_dialogs.end());
    if (t_dialogs.empty() && t_keyHook != nullptr) {
        UnhookWindowsHookEx(t_keyHook);
        t_keyHook = nullptr;
    }
    if (state->tooltip != nullptr) DestroyWindow(state->tooltip);
    if (state->font != nullptr) DeleteObject(state->font);
    if (state->fixedFont != nullptr) DeleteObject(state->fixedFont);
    FreeProgramImages(*state);
    state->magic = 0;
    return 0;
}
