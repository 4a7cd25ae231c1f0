// Placing the main window's children: toolbar and status bar at the edges, the gutter
// and the view between them, the view right of the gutter while line numbers show.
#pragma once

#include <cstdint>

#include "core/layout/layout.h"

namespace vemora {

int32_t ToolbarHeight();
// The gutter's width and height for the current client area; its position stays.
void SizeGutter();
// Moves the view beside the gutter; when wrapping at the view's edge, lays the text out
// again for the new width, unless it was laid out `laidOutWith` what it would be given now.
void PlaceView(const LayoutParameters* laidOutWith = nullptr);
// The whole relayout after the main window was resized.
void RelayoutMainWindow();
// Lays the current document out with the view's font and width.
void LayOutCurrentDocument();
// What the current document is laid out with: file type, view font and view width.
LayoutParameters CurrentLayoutParameters();

}  // namespace vemora
