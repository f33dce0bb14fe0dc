#include "report/Plural.h"

namespace kiv {

const char* NounFor(long long count, const NounForms& forms) {
    // The last two digits decide: 11 to 14 take the many form although they
    // end in 1 to 4.
    const long long n = (count < 0 ? -(count % 100) : count % 100);
    if (n >= 11 && n <= 14)
        return forms.many;
    if (n % 10 == 1)
        return forms.one;
    if (n % 10 >= 2 && n % 10 <= 4)
        return forms.few;
    return forms.many;
}

std::string Counted(long long count, const NounForms& forms) {
    return std::to_string(count) + " " + NounFor(count, forms);
}

} // namespace kiv
