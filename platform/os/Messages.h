#pragma once
// Our own window messages: the message numbers and wParam/lParam packing that
// the window procedure understands. The SDL translation layer produces them,
// so that everything above it can be fed and tested without a window.

#include <cstdint>

namespace os {

struct OsMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;

// lParam bit of key and character messages: the key was down already, so
// this one is a held key's repeat.
constexpr intptr_t kKeyWasDown = intptr_t{1} << 30;

// wParam bits of mouse messages.
constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;

// Low word and high word, each 16 bits, as the mouse and size messages pack them.
inline intptr_t MakeLParam(int32_t low, int32_t high) {
    return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFF) |
                                 ((static_cast<uint32_t>(high) & 0xFFFF) << 16));
}
inline int16_t SignedLowWord(uintptr_t value) { return static_cast<int16_t>(value & 0xFFFF); }
inline int16_t SignedHighWord(uintptr_t value) {
    return static_cast<int16_t>((value >> 16) & 0xFFFF);
}
inline uint16_t LowWord(uintptr_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
inline uint16_t HighWord(uintptr_t value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }

}  // namespace os
