// The validators' messages for the plain box, "\r" between lines, as the
// validators' own tests, the road's and the window's expect them.
#pragma once

namespace kiv::test::refusal {

inline constexpr const char* kThickness = "Толщина материала \rдолжна быть не менее 0.1 мм!";
inline constexpr const char* kWidth = "Необходимо увеличить \rширину зонта!";
inline constexpr const char* kLength = "Необходимо увеличить \rдлину зонта!";
inline constexpr const char* kHeight = "Необходимо увеличить \rвысоту зонта!";
inline constexpr const char* kMaxWidth =
    "Максимальная ширина зонта 100000 мм.\rНеобходимо уменьшить ширину зонта!";
inline constexpr const char* kMaxLength =
    "Максимальная длина зонта 100000 мм.\rНеобходимо уменьшить длину зонта!";
inline constexpr const char* kMaxHeight =
    "Максимальная высота зонта 100000 мм.\rНеобходимо уменьшить высоту зонта!";
inline constexpr const char* kAllowance = "Необходимо увеличить \rприпуск на фальц!";
inline constexpr const char* kMaxAllowance =
    "Максимальный припуск на фальц 100 мм.\rНеобходимо уменьшить припуск на фальц!";
inline constexpr const char* kMinWire =
    "  Минимальный диаметр проволоки 1 мм.\rНеобходимо увеличить диаметр проволоки!";
inline constexpr const char* kMaxWire =
    "Максимальный диаметр проволоки 10 мм.\rНеобходимо уменьшить диаметр проволоки!";

} // namespace kiv::test::refusal
