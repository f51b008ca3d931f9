#include "ui/UiResources.h"

#include <QtGlobal>

static void registerUiResources() { Q_INIT_RESOURCE(typix_ui); }

namespace typix {

void initUiResources() {
    static const bool done = (registerUiResources(), true);
    (void)done;
}

}  // namespace typix
