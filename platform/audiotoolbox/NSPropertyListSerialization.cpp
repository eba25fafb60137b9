#include "audiotoolbox/NSPropertyListSerialization.h"

#include "support/NumberText.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <system_error>
#include <vector>

namespace platform {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const noexcept { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

std::optional<PropertyList> readFailure(NSError* outError, std::string message) {
    if (outError != nullptr) {
        *outError = NSError(NSCocoaErrorDomain, NSPropertyListReadCorruptError,
                            "not a readable property list: " + message);
    }
    return std::nullopt;
}

/// Joins the parts of a message (appending, which also keeps GCC 12's -Wrestrict false positive on
/// chained string concatenation away).
std::string joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) {
        text.append(part);
    }
    return text;
}

bool isXMLSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view s) noexcept {
    while (!s.empty() && isXMLSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isXMLSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool allSpace(std::string_view s) noexcept {
    return trimmed(s).empty();
}

/// A plain decimal integer within 64 bits: optional sign, no leading zeros (libplist would read them
/// as octal), no hexadecimal.
bool isPlainInteger(std::string_view s) noexcept {
    std::string_view digits = s;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
        return false;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    std::int64_t value = 0;
    const std::from_chars_result r = std::from_chars(s.data(), s.data() + s.size(), value);
    return r.ec == std::errc{} && r.ptr == s.data() + s.size();
}

/// A decimal real, an infinity or a NaN (no hexadecimal); out-of-range magnitudes are accepted
/// (they read as infinity or zero).
bool isReal(std::string_view s) noexcept {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    if (s.empty()) {
        return false;
    }
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(s.data(), s.data() + s.size(), value);
    return (r.ec == std::errc{} || r.ec == std::errc::result_out_of_range) && r.ptr == s.data() + s.size();
}

bool isBase64(std::string_view s) noexcept {
    for (char c : s) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '+' || c == '/' || c == '=' || isXMLSpace(c);
        if (!ok) {
            return false;
        }
    }
    return true;
}

/// Checks the structure of an XML property list before libplist reads it: libplist is lenient
/// (it reads "abc" as the integer 0, drops a key without a value, ignores text after the root) and
/// recurses without limit on nesting. This scanner follows the elements, refuses what libplist would
/// read into something else than the text says, and limits the nesting.
class StructureChecker {
public:
    explicit StructureChecker(std::string_view xml) : xml_(xml) {}

    /// An error message, or none when the structure is sound.
    std::optional<std::string> check() {
        std::size_t i = startsWith(0, "\xEF\xBB\xBF") ? 3 : 0; // a UTF-8 byte-order mark
        while (i < xml_.size()) {
            if (xml_[i] != '<') {
                std::size_t j = xml_.find('<', i);
                if (j == std::string_view::npos) {
                    j = xml_.size();
                }
                if (!insideScalar() && !allSpace(xml_.substr(i, j - i))) {
                    return "text outside a value";
                }
                i = j;
                continue;
            }
            std::optional<std::string> error;
            if (startsWith(i, "<?")) {
                error = skipPast(i, "?>", "an unterminated processing instruction");
            } else if (startsWith(i, "<!--")) {
                error = skipPast(i, "-->", "an unterminated comment");
            } else if (startsWith(i, "<![CDATA[")) {
                if (!insideScalar()) {
                    return "text outside a value";
                }
                error = skipPast(i, "]]>", "an unterminated CDATA section");
            } else if (startsWith(i, "<!")) {
                error = skipDeclaration(i);
            } else if (startsWith(i, "</")) {
                error = closeElement(i);
            } else {
                error = openElement(i);
            }
            if (error) {
                return error;
            }
        }
        if (!stack_.empty()) {
            return joined({"the text ends inside <", stack_.back().name, ">"});
        }
        if (!rootDone_) {
            return "no value";
        }
        return std::nullopt;
    }

private:
    enum class Kind { Plist, Dict, Array, Key, String, Integer, Real, Boolean, Data, Date };
    struct Level {
        Kind kind;
        std::string_view name;
        std::size_t contentStart;
        bool expectKey = true; // dictionaries: the next child must be a key
        bool hasValue = false; // <plist>: it holds its value
    };

    static std::optional<Kind> kindOf(std::string_view name) noexcept {
        if (name == "plist")
            return Kind::Plist;
        if (name == "dict")
            return Kind::Dict;
        if (name == "array")
            return Kind::Array;
        if (name == "key")
            return Kind::Key;
        if (name == "string")
            return Kind::String;
        if (name == "integer")
            return Kind::Integer;
        if (name == "real")
            return Kind::Real;
        if (name == "true" || name == "false")
            return Kind::Boolean;
        if (name == "data")
            return Kind::Data;
        if (name == "date")
            return Kind::Date;
        return std::nullopt;
    }

    static bool isContainer(Kind kind) noexcept {
        return kind == Kind::Plist || kind == Kind::Dict || kind == Kind::Array;
    }

    bool insideScalar() const noexcept { return !stack_.empty() && !isContainer(stack_.back().kind); }

    bool startsWith(std::size_t i, std::string_view prefix) const noexcept {
        return xml_.substr(i, prefix.size()) == prefix;
    }

    std::optional<std::string> skipPast(std::size_t& i, std::string_view terminator,
                                        const char* error) const {
        const std::size_t j = xml_.find(terminator, i + 2);
        if (j == std::string_view::npos) {
            return error;
        }
        i = j + terminator.size();
        return std::nullopt;
    }

    /// <!DOCTYPE …>, with an internal subset in brackets and quoted texts.
    std::optional<std::string> skipDeclaration(std::size_t& i) const {
        if (!stack_.empty() || rootDone_) {
            return "a declaration inside the document";
        }
        char quote = 0;
        int brackets = 0;
        for (std::size_t j = i + 2; j < xml_.size(); ++j) {
            const char c = xml_[j];
            if (quote != 0) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                i = j + 1;
                return std::nullopt;
            }
        }
        return "an unterminated declaration";
    }

    std::optional<std::string> openElement(std::size_t& i) {
        // The tag ends at the first '>' outside quoted attribute values.
        char quote = 0;
        std::size_t end = std::string_view::npos;
        for (std::size_t j = i + 1; j < xml_.size(); ++j) {
            const char c = xml_[j];
            if (quote != 0) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                end = j;
                break;
            }
        }
        if (end == std::string_view::npos) {
            return "an unterminated tag";
        }
        const bool selfClosing = xml_[end - 1] == '/';
        std::size_t nameEnd = i + 1;
        while (nameEnd < end && !isXMLSpace(xml_[nameEnd]) && xml_[nameEnd] != '/') {
            ++nameEnd;
        }
        const std::string_view name = xml_.substr(i + 1, nameEnd - i - 1);
        const std::optional<Kind> kind = kindOf(name);
        if (!kind) {
            return joined({"an unknown element <", name, ">"});
        }
        if (rootDone_) {
            return "content after the end of the property list";
        }
        if (std::optional<std::string> error = adopt(*kind, name)) {
            return error;
        }
        Level level{*kind, name, end + 1};
        if (selfClosing) {
            if (std::optional<std::string> error = finish(level, {})) {
                return error;
            }
            rootDone_ = stack_.empty();
        } else {
            if (*kind == Kind::Dict || *kind == Kind::Array) {
                if (++containerDepth_ > NSPropertyListSerialization::maximumDepth) {
                    return "arrays and dictionaries nested too deeply";
                }
            }
            stack_.push_back(level);
        }
        i = end + 1;
        return std::nullopt;
    }

    /// Checks that an element of this kind may stand where it starts, and records it in its parent.
    std::optional<std::string> adopt(Kind kind, std::string_view name) {
        if (stack_.empty()) {
            if (kind == Kind::Key) {
                return "a key outside a dictionary";
            }
            return std::nullopt;
        }
        Level& parent = stack_.back();
        switch (parent.kind) {
        case Kind::Plist:
            if (kind == Kind::Plist || kind == Kind::Key) {
                return joined({"<", name, "> directly inside <plist>"});
            }
            if (parent.hasValue) {
                return "more than one value in the property list";
            }
            parent.hasValue = true;
            return std::nullopt;
        case Kind::Dict:
            if (parent.expectKey && kind != Kind::Key) {
                return "a value without a key in a dictionary";
            }
            if (!parent.expectKey && (kind == Kind::Key || kind == Kind::Plist)) {
                return "a key without a value in a dictionary";
            }
            parent.expectKey = !parent.expectKey;
            return std::nullopt;
        case Kind::Array:
            if (kind == Kind::Key || kind == Kind::Plist) {
                return joined({"<", name, "> inside an array"});
            }
            return std::nullopt;
        default:
            return joined({"<", name, "> inside <", parent.name, ">"});
        }
    }

    std::optional<std::string> closeElement(std::size_t& i) {
        const std::size_t end = xml_.find('>', i);
        if (end == std::string_view::npos) {
            return "an unterminated tag";
        }
        const std::string_view name = trimmed(xml_.substr(i + 2, end - i - 2));
        if (stack_.empty() || stack_.back().name != name) {
            return joined({"a mismatched closing tag </", name, ">"});
        }
        const Level level = stack_.back();
        stack_.pop_back();
        if (level.kind == Kind::Dict || level.kind == Kind::Array) {
            --containerDepth_;
        }
        if (std::optional<std::string> error =
                finish(level, xml_.substr(level.contentStart, i - level.contentStart))) {
            return error;
        }
        rootDone_ = stack_.empty();
        i = end + 1;
        return std::nullopt;
    }

    /// Checks a finished element and its text.
    static std::optional<std::string> finish(const Level& level, std::string_view content) {
        const std::string_view text = trimmed(content);
        switch (level.kind) {
        case Kind::Plist:
            return level.hasValue ? std::nullopt : std::optional<std::string>("an empty <plist>");
        case Kind::Dict:
            return level.expectKey ? std::nullopt
                                   : std::optional<std::string>("a key without a value in a dictionary");
        case Kind::Integer:
            return isPlainInteger(text)
                       ? std::nullopt
                       : std::optional<std::string>(joined(
                             {"an integer that is not a 64-bit decimal: \"", text.substr(0, 40), "\""}));
        case Kind::Real:
            return isReal(text) ? std::nullopt
                                : std::optional<std::string>(
                                      joined({"a real that is not a number: \"", text.substr(0, 40), "\""}));
        case Kind::Boolean:
            return text.empty() ? std::nullopt : std::optional<std::string>("text inside a boolean");
        case Kind::Data:
            return isBase64(text) ? std::nullopt : std::optional<std::string>("data that is not base64");
        default:
            return std::nullopt;
        }
    }

    std::string_view xml_;
    std::vector<Level> stack_;
    std::size_t containerDepth_ = 0;
    bool rootDone_ = false;
};

std::optional<PropertyList> fromNode(plist_t node, std::size_t depth, std::string& error) {
    if (node == nullptr) {
        error = "a missing value";
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PropertyList(value != 0);
    }
    case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // libplist keeps every integer in 64 bits; the checker let through only signed 64-bit values.
        return PropertyList(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0.0;
        plist_get_real_val(node, &value);
        return PropertyList(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return PropertyList(std::string(text != nullptr ? text : "", text != nullptr ? length : 0));
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        PropertyList::Data data;
        if (bytes != nullptr) {
            data.assign(reinterpret_cast<const std::uint8_t*>(bytes),
                        reinterpret_cast<const std::uint8_t*>(bytes) + length);
        }
        return PropertyList(std::move(data));
    }
    case PLIST_ARRAY: {
        if (depth > NSPropertyListSerialization::maximumDepth) {
            error = "arrays and dictionaries nested too deeply";
            return std::nullopt;
        }
        PropertyList::Array array;
        const std::uint32_t size = plist_array_get_size(node);
        array.reserve(size);
        for (std::uint32_t k = 0; k < size; ++k) {
            std::optional<PropertyList> item = fromNode(plist_array_get_item(node, k), depth + 1, error);
            if (!item) {
                return std::nullopt;
            }
            array.push_back(std::move(*item));
        }
        return PropertyList(std::move(array));
    }
    case PLIST_DICT: {
        if (depth > NSPropertyListSerialization::maximumDepth) {
            error = "arrays and dictionaries nested too deeply";
            return std::nullopt;
        }
        PropertyListDictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        std::unique_ptr<void, decltype(&std::free)> iteratorOwner(iterator, &std::free);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &key, &value);
            std::unique_ptr<char, decltype(&std::free)> keyOwner(key, &std::free);
            if (key == nullptr) {
                break;
            }
            std::optional<PropertyList> item = fromNode(value, depth + 1, error);
            if (!item) {
                return std::nullopt;
            }
            dictionary.set(std::string(key), std::move(*item));
        }
        return PropertyList(std::move(dictionary));
    }
    case PLIST_DATE:
        error = "a date, which this reader does not support";
        return std::nullopt;
    default:
        error = "a value of a type this reader does not support";
        return std::nullopt;
    }
}

/// The libplist node of a value, or null with `error` for texts that hold a NUL character and for
/// nesting that the reader would refuse.
PlistPtr toNode(const PropertyList& value, std::size_t depth, std::string& error) {
    const bool container =
        value.type() == PropertyList::Type::Array || value.type() == PropertyList::Type::Dictionary;
    if (container && depth > NSPropertyListSerialization::maximumDepth) {
        error = "arrays and dictionaries nested too deeply";
        return nullptr;
    }
    switch (value.type()) {
    case PropertyList::Type::Boolean:
        return PlistPtr(plist_new_bool(*value.boolean() ? 1 : 0));
    case PropertyList::Type::Integer:
        // libplist stores integers as 64-bit patterns and writes them back as signed numbers.
        return PlistPtr(plist_new_uint(static_cast<std::uint64_t>(*value.integer())));
    case PropertyList::Type::Real:
        return PlistPtr(plist_new_real(*value.real()));
    case PropertyList::Type::String:
        if (value.string()->find('\0') != std::string::npos) {
            error = "a text holding a NUL character";
            return nullptr;
        }
        return PlistPtr(plist_new_string(value.string()->c_str()));
    case PropertyList::Type::Data:
        return PlistPtr(
            plist_new_data(reinterpret_cast<const char*>(value.data()->data()), value.data()->size()));
    case PropertyList::Type::Array: {
        PlistPtr array(plist_new_array());
        for (const PropertyList& item : *value.array()) {
            PlistPtr node = toNode(item, depth + 1, error);
            if (!node) {
                return nullptr;
            }
            plist_array_append_item(array.get(), node.release());
        }
        return array;
    }
    case PropertyList::Type::Dictionary: {
        PlistPtr dictionary(plist_new_dict());
        for (const auto& [key, item] : *value.dictionary()) {
            if (key.find('\0') != std::string::npos) {
                error = "a key holding a NUL character";
                return nullptr;
            }
            PlistPtr node = toNode(item, depth + 1, error);
            if (!node) {
                return nullptr;
            }
            plist_dict_set_item(dictionary.get(), key.c_str(), node.release());
        }
        return dictionary;
    }
    }
    error = "an unknown value type";
    return nullptr;
}

} // namespace

std::optional<PropertyList> NSPropertyListSerialization::propertyListWithData(std::string_view xml,
                                                                              NSError* outError) {
    if (xml.size() > std::numeric_limits<std::uint32_t>::max()) {
        return readFailure(outError, "the text is too long");
    }
    if (std::optional<std::string> error = StructureChecker(xml).check()) {
        return readFailure(outError, *error);
    }
    if (xml.substr(0, 3) == "\xEF\xBB\xBF") {
        xml.remove_prefix(3); // libplist refuses a byte-order mark
    }
    PlistPtr root;
    {
        support::CLocaleScope locale; // libplist reads and writes numbers by the thread's locale
        plist_t node = nullptr;
        plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
        root.reset(node);
    }
    if (!root) {
        return readFailure(outError, "the XML is malformed");
    }
    std::string error;
    std::optional<PropertyList> value = fromNode(root.get(), 1, error);
    if (!value) {
        return readFailure(outError, error);
    }
    return value;
}

std::optional<PropertyListDictionary> NSPropertyListSerialization::dictionaryWithData(std::string_view xml,
                                                                                      NSError* outError) {
    std::optional<PropertyList> value = propertyListWithData(xml, outError);
    if (!value) {
        return std::nullopt;
    }
    if (PropertyListDictionary* dictionary = value->dictionary()) {
        return std::move(*dictionary);
    }
    readFailure(outError, "the top level is not a dictionary");
    return std::nullopt;
}

std::optional<std::string> NSPropertyListSerialization::dataWithPropertyList(const PropertyList& value,
                                                                             NSError* outError) {
    std::string error;
    PlistPtr root = toNode(value, 1, error);
    char* xml = nullptr;
    std::uint32_t length = 0;
    if (root) {
        support::CLocaleScope locale; // libplist reads and writes numbers by the thread's locale
        plist_to_xml(root.get(), &xml, &length);
    } else if (error.empty()) {
        error = "libplist could not make a value";
    }
    if (xml == nullptr) {
        if (outError != nullptr) {
            *outError =
                NSError(NSCocoaErrorDomain, NSPropertyListWriteInvalidError,
                        "cannot write the property list: " + (error.empty() ? "libplist failed" : error));
        }
        return std::nullopt;
    }
    std::string text(xml, length);
    plist_to_xml_free(xml);
    return text;
}

} // namespace platform
