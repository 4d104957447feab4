// FB::JSObject: identity defaults and the calls scheduled on the browser's main thread.
#include "plugin/scripting/js_object.h"

#include <stdexcept>
#include <utility>

#include "plugin/core/browser_host.h"

namespace FB {

JSObject::JSObject(const std::shared_ptr<BrowserHost>& browserHost) : host(browserHost) {}

JSObject::~JSObject() = default;

void* JSObject::getObjectKey() const { return nullptr; }

void* JSObject::getContextKey() const { return nullptr; }

bool JSObject::supportsBatchCalls() const { return false; }

void JSObject::callBatch(const std::string&, const VariantArray&, const std::vector<std::shared_ptr<JSObject>>&,
                         const std::vector<std::shared_ptr<JSObject>>&) {}

template <class Call> void JSObject::postToHost(Call call) {
    std::shared_ptr<BrowserHost> browserHost = host.lock();
    if (!browserHost) {
        throw std::runtime_error("Cannot invoke asynchronously");
    }
    std::shared_ptr<JSAPI> self = shared_from_this();
    browserHost->postToMainThread(self, std::move(call));
}

void JSObject::invokeAsync(const std::string& methodName, const VariantArray& args) {
    postToHost([this, args, methodName] { invokeDeferred(args, methodName); });
}

void JSObject::invokeDeferred(const VariantArray& args, const std::string& methodName) {
    std::shared_ptr<JSObject> self = std::static_pointer_cast<JSObject>(shared_from_this());
    getHost()->invokeDelayed(0, self, args, methodName);
}

void JSObject::setPropertyAsync(const std::string& name, const variant& value) {
    postToHost([this, name, value] { setProperty(name, value); });
}

std::shared_ptr<BrowserHost> JSObject::getHost() const { return std::shared_ptr<BrowserHost>(host); }

}  // namespace FB
