#pragma once
// What a left drag of a control does (LControl::SetDragMode) and on which axes or edges.

#include <cstdint>

namespace KV {

inline constexpr int32_t kDragNone = 0;
inline constexpr int32_t kDragAndDrop = 1;         // the control follows the pointer onto drop targets
inline constexpr int32_t kDragMove = 2;            // the control moves within its limits
inline constexpr int32_t kDragMoveScrolling = 3;   // ... and the parent scrolls near its edges
inline constexpr int32_t kDragResize = 4;          // an edge of the control follows the pointer
inline constexpr int32_t kDragResizeScrolling = 5; // ... and the parent scrolls near its edges
inline constexpr int32_t kDragPan = 6;             // the content follows the pointer

// Axes of drag and drop, moves and pans.
inline constexpr int32_t kDragFlagX = 0x01;
inline constexpr int32_t kDragFlagY = 0x02;
// Edges of a resize; as drop scroll directions, the edges where a drop target scrolls.
inline constexpr int32_t kDragFlagRight = 0x04;
inline constexpr int32_t kDragFlagLeft = 0x08;
inline constexpr int32_t kDragFlagTop = 0x10;
inline constexpr int32_t kDragFlagBottom = 0x20;

} // namespace KV
