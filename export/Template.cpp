#include "export/Template.h"

namespace kiv {

TemplateLayout LayoutTemplate(const ShopDrawing&, const TemplateOptions&) {
    return {};
}

} // namespace kiv
