// FB::dynamicPtrCast: a shared pointer to a base class as one to a derived class, when it is one.
#pragma once

#include <memory>

namespace FB {

/// A pointer sharing ownership with \p pointer when its object is a T; empty otherwise.
template <typename T, typename U> std::shared_ptr<T> dynamicPtrCast(const std::shared_ptr<U>& pointer) {
    return std::dynamic_pointer_cast<T>(pointer);
}

} // namespace FB
