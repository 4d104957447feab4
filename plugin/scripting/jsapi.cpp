// FB::JSAPI: the defaults every scriptable object inherits, and the wide-name forms.
#include "plugin/scripting/jsapi.h"

#include "plugin/scripting/script_error.h"
#include "plugin/scripting/utf8_tools.h"

namespace FB {

JSAPI::~JSAPI() = default;

void JSAPI::enterZone(const int&) {}
void JSAPI::leaveZone() {}
void JSAPI::setBaseZone(const int&) {}
int JSAPI::baseZone() const { return 0; }
int JSAPI::currentZone() const { return 0; }

void JSAPI::addEventHandler(const std::wstring& eventName, const std::shared_ptr<JSObject>& handler) {
    addEventHandler(wideToUtf8(eventName), handler);
}

void JSAPI::addEventHandler(const std::string&, const std::shared_ptr<JSObject>&) {
    throw script_error("Not implemented");
}

void JSAPI::removeEventHandler(const std::wstring& eventName, const std::shared_ptr<JSObject>& handler) {
    removeEventHandler(wideToUtf8(eventName), handler);
}

void JSAPI::removeEventHandler(const std::string&, const std::shared_ptr<JSObject>&) {
    throw script_error("Not implemented");
}

void JSAPI::addEventSink(const std::shared_ptr<JSObject>&) { throw script_error("Not implemented"); }

void JSAPI::removeEventSink(const std::shared_ptr<JSObject>&) { throw script_error("Not implemented"); }

void JSAPI::listMemberNames(std::vector<std::string>* names) const { listMemberNames(*names); }

void JSAPI::listMemberNames(std::vector<std::wstring>* names) const { listMemberNames(*names); }

void JSAPI::listMemberNames(std::vector<std::wstring>& names) const {
    names.clear();
    std::vector<std::string> narrowNames;
    listMemberNames(narrowNames);
    for (const std::string& name : narrowNames) {
        names.push_back(utf8ToWide(name));
    }
}

bool JSAPI::hasMethod(const std::wstring& name) const { return hasMethod(wideToUtf8(name)); }

bool JSAPI::hasFunctionObject(const std::string&) const { return false; }

bool JSAPI::hasFunctionObject(const std::wstring& name) const { return hasFunctionObject(wideToUtf8(name)); }

bool JSAPI::hasProperty(const std::wstring& name) const { return hasProperty(wideToUtf8(name)); }

std::shared_ptr<JSAPI> JSAPI::getFunctionObject(const std::string&) { return nullptr; }

std::shared_ptr<JSAPI> JSAPI::getFunctionObject(const std::wstring& name) {
    return getFunctionObject(wideToUtf8(name));
}

variant JSAPI::getProperty(const std::wstring& name) { return getProperty(wideToUtf8(name)); }

void JSAPI::setProperty(const std::wstring& name, const variant& value) { setProperty(wideToUtf8(name), value); }

void JSAPI::removeProperty(const std::wstring& name) { removeProperty(wideToUtf8(name)); }

variant JSAPI::invoke(const std::wstring& name, const VariantArray& args) { return invoke(wideToUtf8(name), args); }

}  // namespace FB
