#pragma once
// The interface poster of the Qt front end: a call posted from any thread is
// queued on the Qt event loop of the thread that owns this object (the
// interface thread) and runs there in posting order.  Calls still queued when
// the object is destroyed are dropped, never run.
#include <QObject>

#include <functional>

#include "support/Poster.h"

namespace typix {

class QtPoster : public QObject, public Poster {
    Q_OBJECT
public:
    explicit QtPoster(QObject* parent = nullptr) : QObject(parent) {}
    void post(std::function<void()> call) override;
};

}  // namespace typix
