#include "audiotoolbox/PropertyList.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool keyLess(const PropertyListDictionary::Entry& entry, std::string_view key) noexcept {
    return std::string_view(entry.first) < key;
}

} // namespace

PropertyListDictionary::PropertyListDictionary(std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries) {
        set(entry.first, entry.second);
    }
}

const PropertyList* PropertyListDictionary::find(std::string_view key) const noexcept {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
    return it != entries_.end() && it->first == key ? &it->second : nullptr;
}

PropertyList* PropertyListDictionary::find(std::string_view key) noexcept {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
    return it != entries_.end() && it->first == key ? &it->second : nullptr;
}

void PropertyListDictionary::set(std::string key, PropertyList value) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), std::string_view(key), keyLess);
    if (it != entries_.end() && it->first == key) {
        it->second = std::move(value);
    } else {
        entries_.emplace(it, std::move(key), std::move(value));
    }
}

bool PropertyListDictionary::erase(std::string_view key) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
    if (it == entries_.end() || it->first != key) {
        return false;
    }
    entries_.erase(it);
    return true;
}

PropertyListDictionary::const_iterator PropertyListDictionary::begin() const noexcept {
    return entries_.data();
}

PropertyListDictionary::const_iterator PropertyListDictionary::end() const noexcept {
    return entries_.data() + entries_.size();
}

bool operator==(const PropertyListDictionary& a, const PropertyListDictionary& b) {
    return a.entries_ == b.entries_;
}

PropertyList::PropertyList() : value_(std::in_place_index<6>) {}
PropertyList::PropertyList(double value) : value_(std::in_place_index<2>, value) {}
PropertyList::PropertyList(std::string value) : value_(std::in_place_index<3>, std::move(value)) {}
PropertyList::PropertyList(const char* value) : value_(std::in_place_index<3>, value) {}
PropertyList::PropertyList(Data value) : value_(std::in_place_index<4>, std::move(value)) {}
PropertyList::PropertyList(Array value) : value_(std::in_place_index<5>, std::move(value)) {}
PropertyList::PropertyList(PropertyListDictionary value) : value_(std::in_place_index<6>, std::move(value)) {}

const bool* PropertyList::boolean() const noexcept {
    return std::get_if<0>(&value_);
}
const std::int64_t* PropertyList::integer() const noexcept {
    return std::get_if<1>(&value_);
}
const double* PropertyList::real() const noexcept {
    return std::get_if<2>(&value_);
}
const std::string* PropertyList::string() const noexcept {
    return std::get_if<3>(&value_);
}
const PropertyList::Data* PropertyList::data() const noexcept {
    return std::get_if<4>(&value_);
}
const PropertyList::Array* PropertyList::array() const noexcept {
    return std::get_if<5>(&value_);
}
PropertyList::Array* PropertyList::array() noexcept {
    return std::get_if<5>(&value_);
}
const PropertyListDictionary* PropertyList::dictionary() const noexcept {
    return std::get_if<6>(&value_);
}
PropertyListDictionary* PropertyList::dictionary() noexcept {
    return std::get_if<6>(&value_);
}

std::optional<double> PropertyList::number() const noexcept {
    if (const std::int64_t* i = integer()) {
        return static_cast<double>(*i);
    }
    if (const double* r = real()) {
        return *r;
    }
    return std::nullopt;
}

bool operator==(const PropertyList& a, const PropertyList& b) {
    if (a.value_.index() != b.value_.index()) {
        return false;
    }
    if (const double* x = a.real()) {
        const double y = *b.real();
        return *x == y || (std::isnan(*x) && std::isnan(y));
    }
    return a.value_ == b.value_;
}

} // namespace platform
