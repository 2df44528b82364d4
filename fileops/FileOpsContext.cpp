#include "fileops/FileOpsContext.h"

#include <algorithm>

RowRange SelectedRows(const VideoRegister& reg) {
    const GridRect& sel = reg.Selection();
    int top = std::clamp(std::min(sel.top, sel.bottom), 1, reg.LastRow());
    int bottom = std::clamp(std::max(sel.top, sel.bottom), 1, reg.LastRow());
    return {top, bottom};
}
