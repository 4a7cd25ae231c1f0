// Scrolling bounds, guards, move plans, scroll-bar values and the gutter width.
#include "core/shell/scroll_rules.h"

#include <algorithm>
#include <cstdlib>

namespace vemora {

int32_t VisibleCount(int32_t extent, int32_t pitch) {
  pitch = std::max(pitch, 1);
  return std::max(extent + pitch - 1, 0) / pitch;
}

int32_t TextColumns(int32_t clientWidth, int32_t margin, int32_t averageCharWidth) {
  return std::max(clientWidth - margin, 0) / std::max(averageCharWidth, 1);
}

int32_t MaxTopLine(const ScrollPosition& p) {
  return p.displayLineCount - p.visibleRows + 1;
}

int32_t MaxLeftColumn(const ScrollPosition& p) {
  return p.fold - p.textColumns;
}

int32_t ClampedLeftColumn(const ScrollPosition& p) {
  return std::max(0, std::min(p.leftColumn, MaxLeftColumn(p)));
}

ScrollMove ScrollCommandMove(ScrollRequest request, const ScrollPosition& p, int32_t count) {
  const int32_t top = p.topLine, left = p.leftColumn;
  const int32_t maxTop = MaxTopLine(p), maxLeft = MaxLeftColumn(p);
  const bool canDown = top<maxTop, canUp = top> 0;
  const bool canRight = left<maxLeft, canLeft = left> 0;
  auto vertical = [](bool guard, int32_t target) {
    return guard ? ScrollMove{ScrollAxis::kVertical, target} : ScrollMove{};
  };
  auto horizontal = [](bool guard, int32_t target) {
    return guard ? ScrollMove{ScrollAxis::kHorizontal, target} : ScrollMove{};
  };
  switch (request) {
    case ScrollRequest::kLineDown:
      return vertical(canDown, top + 1);
    case ScrollRequest::kLineUp:
      return vertical(canUp, top - 1);
    case ScrollRequest::kPageDown:
      return vertical(canDown, std::min(maxTop, top + p.visibleRows - 2));
    case ScrollRequest::kPageUp:
      return vertical(canUp, std::max(0, top - p.visibleRows + 2));
    case ScrollRequest::kFiveLinesDown:
      return vertical(canDown, std::min(maxTop, top + 5));
    case ScrollRequest::kFiveLinesUp:
      return vertical(canUp, std::max(0, top - 5));
    case ScrollRequest::kLinesForward:
      return vertical(canDown, std::min(maxTop, top + count));
    case ScrollRequest::kLinesBack:
      return vertical(canUp, std::max(0, top - count));
    case ScrollRequest::kTop:
      return vertical(canUp, 0);
    case ScrollRequest::kBottom:
      return vertical(canDown, maxTop);
    case ScrollRequest::kCharRight:
      return horizontal(canRight, left + 1);
    case ScrollRequest::kCharLeft:
      return horizontal(canLeft, left - 1);
    case ScrollRequest::kTabRight:
      return horizontal(canRight, std::min(maxLeft, left + p.tab));
    case ScrollRequest::kTabLeft:
      return horizontal(canLeft, std::max(0, left - p.tab));
  }
  return {};
}

LineMovePlan PlanLineMove(int32_t newTop, bool force, const ScrollPosition& p, int32_t smoothPage,
                          int32_t smoothLine) {
  const int32_t d = newTop - p.topLine;
  const int32_t distance = std::abs(d);
  if (force || distance >= p.visibleRows) return {LineMoveKind::kRepaint, false};
  const bool movable = (d < 0 && p.topLine > 0) || (d > 0 && p.topLine < p.displayLineCount - 1);
  if (!movable) return {};
  if (smoothPage != 0 && distance > 3) return {LineMoveKind::kStepwise, false};
  return {LineMoveKind::kPixels, distance <= 3 && smoothLine != 0};
}

ColumnMoveKind PlanColumnMove(int32_t newLeft, const ScrollPosition& p) {
  const int32_t d = newLeft - p.leftColumn;
  if (std::abs(d) >= p.visibleColumns) return ColumnMoveKind::kRepaint;
  if (d < 0) return p.leftColumn <= 0 ? ColumnMoveKind::kNone : ColumnMoveKind::kPixels;
  if (d == 0) return ColumnMoveKind::kNone;
  return p.leftColumn >= p.fold - 1 ? ColumnMoveKind::kNone : ColumnMoveKind::kPixels;
}

std::vector<int32_t> SmoothScrollSteps(int32_t lines, int32_t linePitch, int32_t steps) {
  steps = std::max(steps, 1);  // a hand-edited SmRare of 0 must not divide by zero
  const int32_t direction = lines < 0 ? -1 : 1;
  const int64_t total = static_cast<int64_t>(std::abs(lines)) * linePitch;
  const int64_t share = total * 1000 / steps;
  std::vector<int32_t> moves;
  int64_t done = 0, sum = 0;
  for (int32_t step = 0; step < steps; ++step) {
    sum += share;
    int64_t target = sum / 1000;
    if (target > done) {
      moves.push_back(static_cast<int32_t>((target - done) * direction));
      done = target;
    }
  }
  if (done < total) moves.push_back(static_cast<int32_t>((total - done) * direction));
  return moves;
}

ScrollBarValues VerticalScrollBar(const ScrollPosition& p, int32_t scrollScale) {
  scrollScale = std::max(scrollScale, 1);
  return {p.displayLineCount / scrollScale, p.visibleRows / scrollScale, p.topLine / scrollScale};
}

ScrollBarValues HorizontalScrollBar(const ScrollPosition& p, bool foldRight) {
  if (foldRight) return {};
  // Positions run from 0 to maximum - page + 1.
  return {p.fold, std::max(p.textColumns, 0) + 1, p.leftColumn};
}

int32_t VerticalThumbTarget(int32_t thumb, int32_t scrollScale, int32_t displayLineCount) {
  return std::min(thumb * std::max(scrollScale, 1), displayLineCount - 1);
}

int32_t HorizontalThumbTarget(int32_t thumb, int32_t fold) {
  return std::min(thumb, fold - 1);
}

int32_t ComputeGutterWidth(int32_t widestDigit, int32_t displayLineCount, bool foldRight,
                           bool hasDocument, int32_t padding) {
  int32_t digits = 1;
  for (int32_t count = hasDocument ? displayLineCount : 0; count >= 10; count /= 10) ++digits;
  return widestDigit * std::max(digits, foldRight ? 5 : 4) + padding;
}

}  // namespace vemora
