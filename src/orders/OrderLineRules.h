#pragma once
// What an order line must hold before it is written: months of the year with the start not after
// the end, and a whole number of copies that the amount column can carry for any title.

#include <optional>

inline constexpr int MaxCopies = 99999;

inline bool MonthsValid(std::optional<int> start, std::optional<int> end)
{
    return start && end && *start >= 1 && *end <= 12 && *start <= *end;
}

inline bool CopiesValid(std::optional<int> copies)
{
    return copies && *copies >= 1 && *copies <= MaxCopies;
}
