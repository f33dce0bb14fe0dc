// A count with its noun as Russian says it: 1 лист, 2 листа, 5 листов,
// 11 листов, 21 лист. Every count the program prints goes through here.
#pragma once

#include <string>

namespace kiv {

// A noun's three forms after a number: after 1 (and 21, 31 ...), after 2 to 4
// (and 22 ...), and after the rest (0, 5 to 20, 25 ...).
struct NounForms {
    const char* one;
    const char* few;
    const char* many;
};

inline constexpr NounForms kSheetForms{"лист", "листа", "листов"};
inline constexpr NounForms kRowForms{"строка", "строки", "строк"};
inline constexpr NounForms kPartForms{"деталь", "детали", "деталей"};
inline constexpr NounForms kHoodForms{"зонт", "зонта", "зонтов"};
inline constexpr NounForms kCopyForms{"копия", "копии", "копий"};
inline constexpr NounForms kFileForms{"файл", "файла", "файлов"};

// The form of the noun that follows `count`.
const char* NounFor(long long count, const NounForms& forms);

// "21 лист": the count, a space and the noun in its form.
std::string Counted(long long count, const NounForms& forms);

} // namespace kiv
