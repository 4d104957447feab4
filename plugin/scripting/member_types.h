// The records in which a table-driven scriptable object keeps its script members.
#pragma once

#include <functional>

#include "plugin/scripting/variant.h"

namespace FB {

/// A native member function bound to its object: script arguments in, script value out.
using BoundMethod = std::function<variant(const VariantArray&)>;

/// The getter and setter of a script property.
struct PropertyAccessors {
    std::function<variant()> getter;
    std::function<void(const variant&)> setter;
};

/// A plain stored value that script reads as a property.
struct AttributeValue {
    variant value;
    bool readOnly = false;
};

}  // namespace FB
