// FB::variant: copying, assignment, ordering, and the readable type names of failed casts.
#include "plugin/scripting/variant.h"

#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <mutex>

namespace FB {

const char* readableTypeName(const std::type_info& type) {
    // Interned by mangled name and never freed: the texts reach page-visible messages that may
    // outlive any exception that carried them, even during static destruction.
    static std::mutex* const lock = new std::mutex;
    static std::map<std::string, std::string>* const names = new std::map<std::string, std::string>;

    const char* mangled = type.name();
    std::lock_guard<std::mutex> guard(*lock);
    auto found = names->find(mangled);
    if (found != names->end())
        return found->second.c_str();

    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string readable = (status == 0 && demangled) ? demangled : mangled;
    std::free(demangled);
    return names->emplace(mangled, std::move(readable)).first->second.c_str();
}

bad_variant_cast::bad_variant_cast(const std::type_info& source, const std::type_info& target)
    : std::bad_cast(), sourceType(readableTypeName(source)), targetType(readableTypeName(target)) {}

bad_variant_cast::~bad_variant_cast() = default;

const char* bad_variant_cast::what() const noexcept { return "bad cast"; }

variant::variant(const variant& other) { *this = other; }

variant::variant(variant&& other) noexcept : m_table(other.m_table), m_object(other.m_object) {
    other.m_table = &variant_detail::typeOpsFor<variant_detail::empty>;
    other.m_object.heap = nullptr;
}

variant::~variant() { m_table->destroyValue(m_object); }

variant& variant::operator=(const variant& other) {
    if (this == &other)
        return *this;
    if (m_table == other.m_table) {
        m_table->copyValue(other.m_object, m_object);
        return *this;
    }
    // The source may be an element of the value being replaced.
    replaceWith(other.m_table, [&other](variant_detail::Storage& fresh) {
        other.m_table->cloneValue(other.m_object, fresh);
    });
    return *this;
}

variant& variant::operator=(variant&& other) noexcept {
    if (this == &other)
        return *this;
    // Take the source over first; the old value goes last, whatever it contained.
    variant taken(std::move(other));
    std::swap(m_table, taken.m_table);
    std::swap(m_object, taken.m_object);
    return *this;
}

void variant::reset() noexcept {
    if (isEmpty())
        return;
    m_table->destroyValue(m_object);
    m_table = &variant_detail::typeOpsFor<variant_detail::empty>;
    m_object.heap = nullptr;
}

bool variant::operator<(const variant& other) const {
    const std::type_info& left = storedType();
    const std::type_info& right = other.storedType();
    if (left == right)
        return m_table->lessValue(m_object, other.m_object);
    // strcmp compares the bytes as unsigned, a proper prefix first.
    return std::strcmp(left.name(), right.name()) < 0;
}

VariantArray makeVariantArray(variant value) { return VariantArray{std::move(value)}; }

} // namespace FB
