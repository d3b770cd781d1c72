#pragma once

// The five columns of the sheet form's lists: name, timing, cost, range,
// effect. Data alone, so that the start-up floor can show the same headers
// without any of the form's code.

#include <array>

struct ListColumn {
    const char* title;
    int width; // pixels at 96 dots an inch
};

inline constexpr std::array<ListColumn, 5> listColumns = {
    {{"名称", 100}, {"タイミング", 60}, {"コスト", 40}, {"射程", 40}, {"効果", 124}}};
