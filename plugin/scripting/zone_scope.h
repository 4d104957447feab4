// FB::ZoneScope: enters an access zone of a scriptable object for the length of a scope.
#pragma once

#include <memory>

#include "plugin/scripting/jsapi.h"

namespace FB {

/// Enters the zone on construction and leaves it on destruction. When entering throws, the
/// scope is never made, so nothing is left to leave. The optional shared pointer keeps the
/// object alive while the scope lasts.
class ZoneScope {
public:
    ZoneScope(JSAPI* object, int zone, std::shared_ptr<JSAPI> keepAlive = nullptr)
        : keepAlive_(std::move(keepAlive)) {
        if (object) {
            object->enterZone(zone);
            object_ = object;
        }
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

    ~ZoneScope() {
        if (object_) {
            object_->leaveZone();
        }
    }

private:
    JSAPI* object_ = nullptr;
    std::shared_ptr<JSAPI> keepAlive_;
};

}  // namespace FB
