#include "ui/QtPoster.h"

#include <QMetaObject>

namespace typix {

void QtPoster::post(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

}  // namespace typix
