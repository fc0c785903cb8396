// The control operations of the program and XMessageBox.
#include <windows.h>

#include <commctrl.h>

#include <climits>
#include <cwctype>

#include "dialog_state_win32.h"
#include "vorlu.h"

namespace vorlu {
namespace {

DialogItem* FindItem(XDIALOG* dialog, int control) {
    DialogState* state = StateOf(dialog);
    if (state == nullptr || state->object.window == nullptr) return nullptr;
    DialogItem* item = ItemOf(*state, control);
    return item != nullptr && IsWindow(item->window) ? item : nullptr;
}

bool IsCheckBox(const DialogItem& item) {
    return item.isControl && item.controlKind == ControlKind::Check;
}

// A signed decimal number at the start of the text, as "%ld" reads it; 0 when there is none.
int ReadInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace
}  // namespace vorlu

using namespace vorlu;

extern "C" {

VORLU_API int WINAPI SetControlText(XDIALOG* dialog, int control, LPCWSTR text, UINT) {
    DialogItem* item = FindItem(dialog, control);
    if (item == nullptr) return 0;
    const wchar_t* shown = text != nullptr ? text : L"";
    if (item->isControl && item->controlKind == ControlKind::Tabs) {
        // The tab strip's text is the current page's name.
        DialogState& state = *item->dialog;
        int page = state.currentPage - 1;
        if (page < 0 || page >= static_cast<int>(state.pageNames.size())) return 0;
        state.pageNames[page] = shown;
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = state.pageNames[page].data();
        SendMessageW(item->window, TCM_SETITEMW, page, reinterpret_cast<LPARAM>(&tab));
        InvalidateRect(item->window, nullptr, TRUE);
        return 1;
    }
    return SetWindowTextW(item->window, shown) ? 1 : 0;
}

VORLU_API int WINAPI CheckControl(XDIALOG* dialog, int control, int state) {
    DialogItem* item = FindItem(dialog, control);
    if (item == nullptr || !IsCheckBox(*item)) return 0;
    SendMessageW(item->window, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    return 1;
}

VORLU_API int WINAPI ShowControl(XDIALOG* dialog, int control, int show) {
    DialogItem* item = FindItem(dialog, control);
    if (item == nullptr) return 0;
    item->hiddenByProgram = show == 0;
    UpdateVisibility(*item->dialog, *item);
    return 1;
}

VORLU_API int WINAPI GetControlInt(XDIALOG* dialog, int control, int) {
    DialogItem* item = FindItem(dialog, control);
    if (item == nullptr) return 0;
    int length = GetWindowTextLengthW(item->window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(item->window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return ReadInt(text);
}

VORLU_API int WINAPI IsControlChecked(XDIALOG* dialog, int control) {
    DialogItem* item = FindItem(dialog, control);
    if (item == nullptr || !IsCheckBox(*item)) return 0;
    return SendMessageW(item->window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

VORLU_API int WINAPI XMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type,
                                 void(CALLBACK* help)(LPHELPINFO), DWORD) {
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.lpszText = text != nullptr ? text : L"";
    params.lpszCaption = caption;
    // One OK button whatever the type asks for; the icon of the type stays.
    params.dwStyle =
        MB_OK | (type & MB_ICONMASK) | MB_SETFOREGROUND | (owner == nullptr ? MB_TASKMODAL : 0);
    params.lpfnMsgBoxCallback = help;
    MessageBoxIndirectW(&params);
    return IDOK;
}

}  // extern "C"
