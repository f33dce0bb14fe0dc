// The texts of the default hood (S 0.5, H 100, L1 200, L2 400; P1 3, P2 2 on
// both allowance pages; d 2) as the report builds them, "\r" between lines:
// the report's tests check them, and the window's tests its labels.
#pragma once

#include <string>

namespace kiv::test {

inline const std::string kDefaultRadii =
    "Радиусы для разметки развертки засечками:\r - точка 1: 0-1 = 200.00;\r - точка 4: 0-4 = "
    "141.42;\r - точка 2: 1-2 = 200.00;   4-2 = 244.95;\r - точка 3: 2-3 = 200.00;   4-3 = "
    "141.42;\rТочки 5, 6, 7 симетричны относительно оси Y\rточкам 3, 2, 1 соответственно.";

// The blank's two sizes and the summary of pattern type 1, 2 or 3.
struct DefaultReport {
    const char* b1;
    const char* b2;
    const char* summary;
};

inline const DefaultReport& DefaultReportOf(int type) {
    static const DefaultReport reports[] = {
        {"477.49", "272.23",
         "Заготовка: площадь 0.130 кв. м;\r вес (кг): стальная - 0.510;\r  алюминиевая - "
         "0.176;\r  медная - 0.572.\rРазвертка: площадь 0.101 кв. м;\r вес (кг): стальная "
         "- 0.398;\r  алюминиевая - 0.137;\r  медная - 0.446."},
        {"477.49", "273.37",
         "Заготовка: площадь 0.131 кв. м;\r вес (кг): стальная - 0.512;\r  алюминиевая - "
         "0.177;\r  медная - 0.574.\rРазвертка: площадь 0.102 кв. м;\r вес (кг): стальная "
         "- 0.400;\r  алюминиевая - 0.138;\r  медная - 0.449."},
        {"487.30", "281.85",
         "Заготовка: площадь 0.137 кв. м;\r вес (кг): стальная - 0.539;\r  алюминиевая - "
         "0.186;\r  медная - 0.604.\rРазвертка: площадь 0.108 кв. м;\r вес (кг): стальная "
         "- 0.424;\r  алюминиевая - 0.146;\r  медная - 0.475.\rВнимание! Из-за "
         "закатывания проволоки габариты зонта увеличились:\r- ширина - на 0.9 мм;  - "
         "длина - на 1.7 мм;\r- высота - на 2.4 мм."},
    };
    return reports[type - 1];
}

} // namespace kiv::test
