#include "gui/key_mapping.h"

#include <array>
#include <utility>

namespace kelvaron {

namespace {

constexpr std::array<std::pair<int, int>, 36> kNamedKeys{{
    {Qt::Key_Backspace, 8},     {Qt::Key_Tab, 9},         {Qt::Key_Backtab, 9},
    {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},      {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},      {Qt::Key_Alt, 18},        {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},     {Qt::Key_Escape, 27},     {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},       {Qt::Key_PageDown, 34},   {Qt::Key_End, 35},
    {Qt::Key_Home, 36},         {Qt::Key_Left, 37},       {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},        {Qt::Key_Down, 40},       {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},       {Qt::Key_Delete, 46},     {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},         {Qt::Key_NumLock, 144},   {Qt::Key_ScrollLock, 145},
    {Qt::Key_Semicolon, 186},   {Qt::Key_Equal, 187},     {Qt::Key_Comma, 188},
    {Qt::Key_Minus, 189},       {Qt::Key_Period, 190},    {Qt::Key_Slash, 191},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_Backslash, 220}, {Qt::Key_BracketRight, 221},
}};

// The keypad's own codes: digits 96-105, then * + (separator) - . /
int KeypadCode(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);
    switch (qtKey) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
            return 110;
        case Qt::Key_Slash:
            return 111;
        default:
            return 0;
    }
}

}  // namespace

int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int code = KeypadCode(qtKey)) return code;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    for (const auto& [key, code] : kNamedKeys) {
        if (key == qtKey) return code;
    }
    return 0;
}

bool ShiftOnly(Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return held == Qt::ShiftModifier;
}

int WheelSteps::Add(int angleDelta) {
    if (angleDelta == 0) return 0;
    // A change of direction forgets movement the other way.
    if ((pending_ > 0) != (angleDelta > 0)) pending_ = 0;
    if (angleDelta >= kNotch || angleDelta <= -kNotch) {
        pending_ = 0;
        return angleDelta > 0 ? 1 : -1;
    }
    pending_ += angleDelta;
    if (pending_ >= kNotch || pending_ <= -kNotch) {
        const int step = pending_ > 0 ? 1 : -1;
        pending_ = 0;
        return step;
    }
    return 0;
}

}  // namespace kelvaron
