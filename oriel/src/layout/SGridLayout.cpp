#include "layout/SGridLayout.h"

#include <algorithm>
#include <vector>

#include "layout/IWindow.h"
#include "layout/SGridLayoutParam.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

namespace {

struct Cell {
  bool used = false;
  int width = 0;  // the per-cell share of the last child over it
  int height = 0;
  float columnWeight = 0.0f;
  float rowWeight = 0.0f;
};

struct Placed {
  IWindow* wnd;
  const SGridLayoutParamStruct* param;
  int row, col, rowSpan, colSpan;
  int cellWidth, cellHeight;
};

// A count as the grid uses it: 0 counts as 1 (a table needs a row and a
// column) and any other negative number as "derived".
int NormalCount(int count) {
  if (count == 0) return 1;
  return count < 0 ? -1 : count;
}

// Hands `rest` out over the tracks in order by weight, the last weighted
// track taking what is left.
void DistributeByWeight(std::vector<int>& sizes, const std::vector<float>& weights, int rest) {
  float sum = 0.0f;
  for (float w : weights) sum += w;
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (sum == 0.0f) break;
    if (weights[i] <= 0.0f) continue;
    const int share = static_cast<int>(static_cast<float>(rest) * weights[i] / sum + 0.5f);
    rest -= share;
    sum -= weights[i];
    sizes[i] += share;
  }
}

int Sum(const std::vector<int>& v, size_t from, size_t count) {
  int s = 0;
  for (size_t i = from; i < from + count && i < v.size(); ++i) s += v[i];
  return s;
}

}  // namespace

struct SGridLayout::Table {
  int rows = 0, cols = 0;
  std::vector<Cell> cells;
  std::vector<Placed> placed;
  std::vector<int> colWidth, rowHeight;
  std::vector<float> colWeight, rowWeight;
  Cell& At(int r, int c) { return cells[static_cast<size_t>(r) * cols + c]; }
};

HRESULT SGridLayout::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL) {
  if (AttrNameIs(name, L"columnCount")) {
    nCols = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"rowCount")) {
    nRows = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"xInterval")) {
    xInterval = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"yInterval")) {
    yInterval = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"interval")) {
    xInterval = yInterval = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"xGravity")) {
    xGravity = ParseGridGravity(value);
  } else if (AttrNameIs(name, L"yGravity")) {
    yGravity = ParseGridGravity(value);
  } else if (AttrNameIs(name, L"gravity")) {
    xGravity = yGravity = ParseGridGravity(value);
  } else {
    return E_NOTIMPL;
  }
  return S_OK;
}

BOOL SGridLayout::IsParamAcceptable(const ILayoutParam* param) const {
  return param && param->IsClass(SGridLayoutParam::GetClassName());
}

ILayoutParam* SGridLayout::CreateLayoutParam() const { return new SGridLayoutParam; }

bool SGridLayout::Build(IWindow* window, Table& t) const {
  int cols = NormalCount(nCols);
  int rows = NormalCount(nRows);
  if (cols == -1 && rows == -1) return false;

  std::vector<std::pair<IWindow*, const SGridLayoutParamStruct*>> children;
  int cellsNeeded = 0;
  for (IWindow* c = window->GetNextLayoutChild(nullptr); c; c = window->GetNextLayoutChild(c)) {
    auto* p = static_cast<SGridLayoutParam*>(c->GetLayoutParam());
    if (!IsParamAcceptable(p)) continue;
    children.emplace_back(c, &p->data);
    // Spans below 1 count as 1: a child always covers its own cell.
    cellsNeeded += std::max(1, p->data.iColumnSpan) * std::max(1, p->data.iRowSpan);
  }
  if (rows == -1)
    rows = std::max(1, (cellsNeeded - 1 + cols) / cols);
  else if (cols == -1)
    cols = std::max(1, (cellsNeeded - 1 + rows) / rows);
  t.rows = rows;
  t.cols = cols;
  t.cells.assign(static_cast<size_t>(rows) * cols, Cell());

  int r = 0, c = 0;
  bool haveFree = true;
  for (const auto& [wnd, p] : children) {
    if (!haveFree) break;  // the rest keep their previous rectangles
    int colSpan = std::min(std::max(1, p->iColumnSpan), cols - c);
    int rowSpan = std::min(std::max(1, p->iRowSpan), rows - r);
    // The span stops at the first cell already taken; that cell stays in
    // it and is shared with the child that took it.
    for (int k = 0; k < rowSpan; ++k) {
      bool hit = false;
      for (int m = 0; m < colSpan; ++m) {
        if (!t.At(r + k, c + m).used) continue;
        rowSpan = k + 1;
        if (k == 0) colSpan = m + 1;
        hit = true;
        break;
      }
      if (hit) break;
    }
    const SIZE desired = wnd->MeasureDesiredSize(-1, -1);
    const Placed placed{wnd, p, r, c, rowSpan, colSpan, desired.cx / colSpan, desired.cy / rowSpan};
    for (int k = 0; k < rowSpan; ++k) {
      for (int m = 0; m < colSpan; ++m) {
        Cell& cell = t.At(r + k, c + m);
        cell.used = true;
        cell.width = placed.cellWidth;
        cell.height = placed.cellHeight;
        cell.columnWeight = p->fColumnWeight / colSpan;
        cell.rowWeight = p->fRowWeight / rowSpan;
      }
    }
    t.placed.push_back(placed);

    // The next free cell: further along this row, else in the rows below.
    haveFree = false;
    for (int m = c + 1; m < cols && !haveFree; ++m)
      if (!t.At(r, m).used) c = m, haveFree = true;
    for (int k = r + 1; k < rows && !haveFree; ++k)
      for (int m = 0; m < cols && !haveFree; ++m)
        if (!t.At(k, m).used) r = k, c = m, haveFree = true;
  }

  t.colWidth.assign(cols, 0);
  t.colWeight.assign(cols, 0.0f);
  t.rowHeight.assign(rows, 0);
  t.rowWeight.assign(rows, 0.0f);
  for (int k = 0; k < rows; ++k) {
    for (int m = 0; m < cols; ++m) {
      const Cell& cell = t.At(k, m);
      t.colWidth[m] = std::max(t.colWidth[m], cell.width);
      t.colWeight[m] = std::max(t.colWeight[m], cell.columnWeight);
      t.rowHeight[k] = std::max(t.rowHeight[k], cell.height);
      t.rowWeight[k] = std::max(t.rowWeight[k], cell.rowWeight);
    }
  }
  return true;
}

void SGridLayout::PlaceAll(IWindow* window) {
  Table t;
  if (!Build(window, t)) return;
  RECT area{};
  window->GetLayoutArea(&area);
  const int scale = window->GetScale();
  const int xi = xInterval.ToPixels(scale);
  const int yi = yInterval.ToPixels(scale);

  const int roomX = (area.right - area.left) - (t.cols - 1) * xi;
  const int roomY = (area.bottom - area.top) - (t.rows - 1) * yi;
  const int usedX = Sum(t.colWidth, 0, t.cols);
  const int usedY = Sum(t.rowHeight, 0, t.rows);
  float weightX = 0.0f, weightY = 0.0f;
  for (float w : t.colWeight) weightX += w;
  for (float w : t.rowWeight) weightY += w;
  if (usedX < roomX && weightX > 0.0f) DistributeByWeight(t.colWidth, t.colWeight, roomX - usedX);
  if (usedY < roomY && weightY > 0.0f) DistributeByWeight(t.rowHeight, t.rowWeight, roomY - usedY);

  std::vector<int> colX(t.cols), rowY(t.rows);
  for (int m = 0, x = area.left; m < t.cols; x += t.colWidth[m] + xi, ++m) colX[m] = x;
  for (int k = 0, y = area.top; k < t.rows; y += t.rowHeight[k] + yi, ++k) rowY[k] = y;

  // One axis of a child in its span box.
  auto align = [](int gravity, int start, int box, int& pos, int& size) {
    switch (gravity) {
      case kGridCenter: pos = start + (box - size) / 2; break;
      case kGridRight: pos = start + box - size; break;
      case kGridFill: pos = start, size = box; break;
      default: pos = start;
    }
  };
  for (const Placed& p : t.placed) {
    const int boxW = Sum(t.colWidth, p.col, p.colSpan) + (p.colSpan - 1) * xi;
    const int boxH = Sum(t.rowHeight, p.row, p.rowSpan) + (p.rowSpan - 1) * yi;
    int width = p.colSpan * p.cellWidth, height = p.rowSpan * p.cellHeight;
    int left = 0, top = 0;
    align(p.param->layoutGravityX != kGridNone ? p.param->layoutGravityX : xGravity, colX[p.col], boxW, left, width);
    align(p.param->layoutGravityY != kGridNone ? p.param->layoutGravityY : yGravity, rowY[p.row], boxH, top, height);
    const RECT rc{left, top, left + width, top + height};
    p.wnd->RelayoutTo(&rc);
  }
}

SIZE SGridLayout::MeasureAll(IWindow* window, int, int) {
  Table t;
  if (!Build(window, t)) return SIZE{0, 0};
  const int scale = window->GetScale();
  return SIZE{Sum(t.colWidth, 0, t.cols) + (t.cols - 1) * xInterval.ToPixels(scale),
              Sum(t.rowHeight, 0, t.rows) + (t.rows - 1) * yInterval.ToPixels(scale)};
}

}  // namespace ORIEL
