// The three patterns of a hood. Stored and written as the numbers 1, 2, 3
// (RaschetData's RazvType, a script's file name, a batch row's type column);
// compared by name inside the program.
#pragma once

#include <optional>

namespace kiv {

enum class PatternType {
    Plain = 1,       // no allowances
    LockSeam = 2,    // seam strips for a lock seam
    SeamAndWire = 3, // seam strips and a band rolled round a wire at the rim
};

// The type a stored number names; none for any other number (0 before the
// first confirmation).
constexpr std::optional<PatternType> PatternTypeOf(int type) {
    if (type < static_cast<int>(PatternType::Plain) ||
        type > static_cast<int>(PatternType::SeamAndWire)) {
        return std::nullopt;
    }
    return static_cast<PatternType>(type);
}

// The number the type is stored and written as.
constexpr int NumberOf(PatternType type) {
    return static_cast<int>(type);
}

// Both allowance types carry seam strips; only the last one a wire band.
// No type has either.
constexpr bool HasSeams(std::optional<PatternType> type) {
    return type.has_value() && *type != PatternType::Plain;
}
constexpr bool HasWire(std::optional<PatternType> type) {
    return type == PatternType::SeamAndWire;
}

} // namespace kiv
