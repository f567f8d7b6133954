#include "display/draw_list.h"

#include <algorithm>

void DrawList::text(float x, float y, std::string_view s) {
    if (open_) end();
    DrawText t;
    t.x = x;
    t.y = y;
    t.color = color_;
    const std::size_t n = std::min(s.size(), DrawText::kMaxChars);
    std::copy_n(s.data(), n, t.text);
    t.afterBatch = static_cast<std::uint32_t>(batches_.size());
    texts_.push_back(t);
}
