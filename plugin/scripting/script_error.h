// Script errors: the exceptions whose text page script sees when a call into the plug-in fails.
#pragma once

#include <exception>
#include <string>

namespace FB {

/// A failure meant for page script; what() is the text the page gets.
class script_error : public std::exception {
public:
    /// Carries \p message as the error's text.
    explicit script_error(const std::string& message);
    script_error(const script_error& other);
    script_error& operator=(const script_error& other);
    ~script_error() override;

    /// The text given at construction; valid while the exception exists.
    const char* what() const noexcept override;

private:
    std::string m_message;
};

/// A call with a wrong argument count or an argument of the wrong type.
class invalid_arguments : public script_error {
public:
    /// "Invalid Arguments".
    invalid_arguments();
    /// Carries \p message as the error's text.
    explicit invalid_arguments(const std::string& message);
};

/// A member the object does not have or does not show.
class invalid_member : public script_error {
public:
    /// "The specified member does not exist: " followed by \p memberName.
    explicit invalid_member(const std::string& memberName);
};

/// A member operation on an object that has been invalidated.
class object_invalidated : public script_error {
public:
    /// "This object is no longer valid".
    object_invalidated();
};

} // namespace FB
