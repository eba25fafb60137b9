#pragma once
/// Property-list values: the dictionaries, arrays, texts, numbers, booleans and data through which a
/// unit's full state is saved and restored.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

class PropertyList;

/// A dictionary with text keys, each key at most once, kept sorted by key (byte order). Iteration
/// yields the entries in that order.
class PropertyListDictionary {
public:
    using Entry = std::pair<std::string, PropertyList>;
    using const_iterator = const Entry*;

    PropertyListDictionary() = default;
    /// The entries, sorted; of repeated keys the last wins. Allocates.
    PropertyListDictionary(std::initializer_list<Entry> entries);

    /// Number of entries.
    std::size_t size() const noexcept;
    /// The value under `key`, or null.
    const PropertyList* find(std::string_view key) const noexcept;
    PropertyList* find(std::string_view key) noexcept;
    /// Sets the value under `key`, replacing any. Allocates.
    void set(std::string key, PropertyList value);
    /// Removes the entry under `key`; returns whether there was one.
    bool erase(std::string_view key);

    const_iterator begin() const noexcept;
    const_iterator end() const noexcept;

    /// Same keys with equal values.
    friend bool operator==(const PropertyListDictionary& a, const PropertyListDictionary& b);

private:
    std::vector<Entry> entries_;
};

/// One property-list value: a boolean, an integer (64-bit), a real (64-bit float), a text, data
/// (bytes), an array or a dictionary. Integers and reals are distinct types: 1 and 1.0 are not equal.
/// Reals compare with ==, except that two NaNs are equal (so that every value equals itself).
/// A value type; a default value is an empty dictionary.
class PropertyList {
public:
    enum class Type { Boolean, Integer, Real, String, Data, Array, Dictionary };
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PropertyList>;

    /// An empty dictionary.
    PropertyList();
    /// A boolean, an integer (any integral type; values beyond the signed 64-bit range wrap), a real,
    /// a text, data, an array or a dictionary. Allocates for texts, data, arrays and dictionaries.
    template <std::same_as<bool> B> PropertyList(B value) : value_(std::in_place_index<0>, value) {}
    template <std::integral I>
    requires(!std::same_as<I, bool>) PropertyList(I value)
        : value_(std::in_place_index<1>, static_cast<std::int64_t>(value)) {}
    PropertyList(double value);
    PropertyList(std::string value);
    PropertyList(const char* value);
    PropertyList(Data value);
    PropertyList(Array value);
    PropertyList(PropertyListDictionary value);

    /// Which of the seven kinds the value is.
    Type type() const noexcept { return static_cast<Type>(value_.index()); }

    /// The value when it has that type, else null.
    const bool* boolean() const noexcept;
    const std::int64_t* integer() const noexcept;
    const double* real() const noexcept;
    const std::string* string() const noexcept;
    const Data* data() const noexcept;
    const Array* array() const noexcept;
    Array* array() noexcept;
    const PropertyListDictionary* dictionary() const noexcept;
    PropertyListDictionary* dictionary() noexcept;
    /// An integer or a real as a 64-bit float (integers beyond 2^53 are rounded); none for other types.
    std::optional<double> number() const noexcept;

    friend bool operator==(const PropertyList& a, const PropertyList& b);

private:
    std::variant<bool, std::int64_t, double, std::string, Data, Array, PropertyListDictionary> value_;
};

// Defined here, where PropertyList is complete: the entries' pair type needs it.
inline std::size_t PropertyListDictionary::size() const noexcept {
    return entries_.size();
}

} // namespace platform
