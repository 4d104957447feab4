// Forward declarations of the script object types and the shared pointers that carry them.
#pragma once

#include <memory>

namespace FB {

class JSAPI;
class JSObject;
class script_error;

/// Owning and observing pointers to a scriptable object of the plug-in.
using JSAPIPtr = std::shared_ptr<JSAPI>;
using JSAPIWeakPtr = std::weak_ptr<JSAPI>;
/// Owning and observing pointers to a script object of the page.
using JSObjectPtr = std::shared_ptr<JSObject>;
using JSObjectWeakPtr = std::weak_ptr<JSObject>;
/// The failure of a call run on another thread, carried back as a value.
using ScriptErrorPtr = std::shared_ptr<script_error>;

} // namespace FB
