#pragma once
// Result codes of operations that can fail: 0 for success, 1 for success with
// nothing to do, negative values for failures. The values are those of the
// HRESULT convention so that codes read the same in logs and error texts.

#include <cstdint>

using KVRESULT = int32_t;

inline constexpr KVRESULT S_OK = 0;
inline constexpr KVRESULT S_FALSE = 1;
inline constexpr KVRESULT E_FAIL = static_cast<KVRESULT>(0x80004005u);
inline constexpr KVRESULT E_INVALIDARG = static_cast<KVRESULT>(0x80070057u);
inline constexpr KVRESULT E_ABORT = static_cast<KVRESULT>(0x80004004u);
inline constexpr KVRESULT E_NOTIMPL = static_cast<KVRESULT>(0x80004001u);
inline constexpr KVRESULT E_OUTOFMEMORY = static_cast<KVRESULT>(0x8007000Eu);

// The application's quiet-exit codes: a start-up that returns one of these ends
// the process without showing a window.
inline constexpr KVRESULT E_QUIET_EXIT_A000 = static_cast<KVRESULT>(0x8000A000u);
inline constexpr KVRESULT E_QUIET_EXIT_A001 = static_cast<KVRESULT>(0x8000A001u);
inline constexpr KVRESULT E_QUIET_EXIT_A002 = static_cast<KVRESULT>(0x8000A002u);
inline constexpr KVRESULT E_QUIET_EXIT_A003 = static_cast<KVRESULT>(0x8000A003u);
inline constexpr KVRESULT E_QUIET_EXIT_A010 = static_cast<KVRESULT>(0x8000A010u);
inline constexpr KVRESULT E_QUIET_EXIT_A020 = static_cast<KVRESULT>(0x8000A020u);

inline constexpr bool IsQuietExitResult(KVRESULT r)
{
    return r == E_QUIET_EXIT_A000 || r == E_QUIET_EXIT_A001 || r == E_QUIET_EXIT_A002 ||
           r == E_QUIET_EXIT_A003 || r == E_QUIET_EXIT_A010 || r == E_QUIET_EXIT_A020;
}

inline constexpr bool KV_SUCCEEDED(KVRESULT r)
{
    return r >= 0;
}
inline constexpr bool KV_FAILED(KVRESULT r)
{
    return r < 0;
}
