// Script errors: constructors and the out-of-line members that anchor the vtable.
#include "plugin/scripting/script_error.h"

namespace FB {

script_error::script_error(const std::string& message) : std::exception(), m_message(message) {}

script_error::script_error(const script_error& other) : std::exception(other), m_message(other.m_message) {}

script_error& script_error::operator=(const script_error& other) {
    std::exception::operator=(other);
    m_message = other.m_message;
    return *this;
}

script_error::~script_error() = default;

const char* script_error::what() const noexcept { return m_message.c_str(); }

invalid_arguments::invalid_arguments() : script_error("Invalid Arguments") {}

invalid_arguments::invalid_arguments(const std::string& message) : script_error(message) {}

invalid_member::invalid_member(const std::string& memberName)
    : script_error("The specified member does not exist: " + memberName) {}

object_invalidated::object_invalidated() : script_error("This object is no longer valid") {}

} // namespace FB
