#include "ui/input_dialogs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

char EditBuf[EDITBUF_SIZE];
char TitoloBuf[100];
int32_t MaxEdit = 8;
float InputMin, InputMax;
int32_t Ndec;

void sprintf_format(char* buf, int32_t prec, float dato) {
    static const char* const kFormats[] = {"%.1f", "%.2f", "%.3f", "%.4f"};
    if (prec == 0) {
        std::sprintf(buf, "%d", int(std::lrintf(dato)));
    } else if (prec >= 1 && prec <= 4) {
        std::sprintf(buf, kFormats[prec - 1], double(dato));
    } else {
        std::strcpy(buf, "Err");
    }
}

namespace vx::ui {
namespace {

size_t maxEdit() {
    return MaxEdit > 0 ? size_t(MaxEdit) : 0;
}

bool numericCharsOnly(const std::string& s) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-')) return false;
    return true;
}

// Steps shared by the number dialogs: cut to MaxEdit, filter the characters, Ok only
// for a non-empty text.
EditState numberChange(const std::string& typed) {
    EditState st{typed, true, false};
    if (st.text.size() > maxEdit()) {
        st.text.resize(maxEdit());
        st.textChanged = true;
    }
    if (!numericCharsOnly(st.text)) {
        st.text.clear();
        st.textChanged = true;
        st.okEnabled = false;
    }
    if (st.text.empty()) st.okEnabled = false;
    return st;
}

// Decimals typed: characters not below '0' after the first point, within 8 characters.
int countDecimals(const std::string& s) {
    std::string head = s.substr(0, 8);
    size_t dot = head.find('.');
    if (dot == std::string::npos) return 0;
    int n = 0;
    for (size_t i = dot + 1; i < head.size(); ++i)
        if (uint8_t(head[i]) >= '0') ++n;
    return n;
}

std::string cut(const std::string& s, size_t n) {
    return s.size() > n ? s.substr(0, n) : s;
}

}  // namespace

EditState onEditChange(InputKind kind, const std::string& typed) {
    switch (kind) {
        case InputKind::Text:
            return {typed, !typed.empty(), false};
        case InputKind::Num:
            return numberChange(typed);
        case InputKind::Num2: {
            EditState st = numberChange(typed);
            if (!st.text.empty()) {
                float v = std::strtof(st.text.c_str(), nullptr);
                if (v > InputMax || v < InputMin) st.okEnabled = false;
            }
            return st;
        }
        case InputKind::Txt: {
            EditState st{typed, true, false};
            if (st.text.size() > maxEdit()) {
                st.text.resize(maxEdit());
                st.textChanged = true;
            }
            return st;
        }
    }
    return {};
}

std::string confirmedText(InputKind kind, const std::string& fieldText) {
    std::string t = cut(fieldText, kInputResultMax);
    switch (kind) {
        case InputKind::Text:
            return t;
        case InputKind::Num: {
            t = cut(t, maxEdit());
            char buf[64];
            sprintf_format(buf, countDecimals(t), std::strtof(t.c_str(), nullptr));
            return buf;
        }
        case InputKind::Num2:
        case InputKind::Txt:
            return cut(t, maxEdit());
    }
    return t;
}

std::string rangeLine() {
    switch (Ndec) {
        case 1:
            return format("Range: %2.1f ... %2.1f", double(InputMin), double(InputMax));
        case 2:
            return format("Range: %2.2f ... %2.2f", double(InputMin), double(InputMax));
        case 3:
            return format("Range: %2.3f ... %2.3f", double(InputMin), double(InputMax));
        default: {
            auto toU = [](float f) { return f < 0 ? unsigned(int64_t(f)) : unsigned(f); };
            return format("Range: %u ... %u", toU(InputMin), toU(InputMax));
        }
    }
}

std::string lengthLine() {
    return format("(%u %s)", unsigned(MaxEdit), "characters max");
}

std::string inputCaption(InputKind kind) {
    if (kind == InputKind::Num2 || kind == InputKind::Txt)
        return std::string(TitoloBuf, strnlen(TitoloBuf, 99));
    return "";
}

int typeAndConfirm(InputKind kind, const std::string& typed) {
    // The field starts with EditBuf and Ok disabled; the user replaces the text by typing.
    EditState st{"", false, false};
    for (char c : typed)
        st = onEditChange(kind, st.text + c);
    if (!st.okEnabled) return 0;
    std::string out = confirmedText(kind, st.text);
    std::snprintf(EditBuf, sizeof EditBuf, "%s", out.c_str());
    return 1;
}

}  // namespace vx::ui

int32_t DlgInputText_(vx::ui::WindowHandle owner) {
    return vx::ui::backend().inputDialog(vx::ui::InputKind::Text, owner);
}
int32_t DlgInputNum_(vx::ui::WindowHandle owner) {
    return vx::ui::backend().inputDialog(vx::ui::InputKind::Num, owner);
}
int32_t DlgInputNum2_(vx::ui::WindowHandle owner) {
    return vx::ui::backend().inputDialog(vx::ui::InputKind::Num2, owner);
}
int32_t DlgInputTxt_(vx::ui::WindowHandle owner) {
    return vx::ui::backend().inputDialog(vx::ui::InputKind::Txt, owner);
}
