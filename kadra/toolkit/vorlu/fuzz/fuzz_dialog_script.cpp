// libFuzzer target for the dialog script parser: any input gives a whole model or an error that
// says why, and a model always keeps the limits the window code relies on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dialog_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    vorlu::ParseResult result = vorlu::ParseDialogScript(text);
    if (!result.ok) {
        if (result.error.message.empty()) __builtin_trap();  // a failure must say why
        return 0;
    }
    const vorlu::DialogScript& script = result.script;
    auto inside = [](const vorlu::Rect& r) {
        return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 &&
               r.x + r.width <= vorlu::kMaxCoordinate && r.y + r.height <= vorlu::kMaxCoordinate;
    };
    auto pagesOk = [&](const vorlu::Pages& pages) {
        for (int page : pages.numbers) {
            if (page < 1 || page > script.pageCount) return false;
        }
        return pages.all || !pages.numbers.empty();
    };
    if (script.width <= 0 || script.height <= 0) __builtin_trap();
    if (script.controls.size() > vorlu::kMaxItems || script.statics.size() > vorlu::kMaxItems) {
        __builtin_trap();
    }
    for (const auto& item : script.statics) {
        if (!inside(item.rect) || !pagesOk(item.pages)) __builtin_trap();
    }
    for (const auto& control : script.controls) {
        if (!inside(control.rect) || !pagesOk(control.pages)) __builtin_trap();
        if (control.image < 0 || control.image > vorlu::kMaxImageId) __builtin_trap();
    }
    return 0;
}
