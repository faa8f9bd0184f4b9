#pragma once
// Project-wide basic types of the KV framework.
//
// The wide code unit is char16_t everywhere: positions, lengths, buffer sizes and
// orderings of wide text count UTF-16 units, independent of the size of wchar_t.
// Narrow text is always UTF-8.

#include <cstdint>

namespace KV {

using WideChar = char16_t;

namespace Platform {
class NativeWindow;
}

// An operating-system window as the framework passes it around: opaque outside the
// platform layer, whose window backend defines it. Null stands for no window.
using NativeWindowHandle = Platform::NativeWindow*;

// A cursor the application loaded by name; 0 stands for the default arrow.
using CursorHandle = uintptr_t;

// Time-outs and tick counts are milliseconds in 32 bits, wrapping like a tick counter.
using Milliseconds = uint32_t;
inline constexpr Milliseconds INFINITE_WAIT = 0xFFFFFFFFu;

} // namespace KV
