#include "audiotoolbox/NSPropertyListSerialization.h"

#include "support/NumberText.h"

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <plist/plist.h>
#include <system_error>
#include <utility>
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

/// A plain decimal integer within 64 bits: optional sign, no leading zeros (which some readers take for
/// octal), no hexadecimal.
std::optional<std::int64_t> plainInteger(std::string_view s) noexcept {
    std::string_view digits = s;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    if (s.front() == '+') {
        s.remove_prefix(1);
    }
    std::int64_t value = 0;
    const std::from_chars_result r = std::from_chars(s.data(), s.data() + s.size(), value);
    if (r.ec != std::errc{} || r.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}

/// A decimal real, an infinity or a NaN (no hexadecimal), read in the C locale; out-of-range magnitudes
/// read as an infinity or zero.
std::optional<double> decimalReal(std::string_view s) {
    std::string_view magnitude = s;
    if (!magnitude.empty() && (magnitude.front() == '+' || magnitude.front() == '-')) {
        magnitude.remove_prefix(1);
    }
    if (magnitude.size() >= 2 && magnitude[0] == '0' && (magnitude[1] == 'x' || magnitude[1] == 'X')) {
        return std::nullopt;
    }
    return support::parseDouble(std::string(s), support::Overflow::infinity);
}

int base64Value(char c) noexcept {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

/// The bytes of base64 text, white space ignored: groups of four symbols, of which the last one or two
/// may be '=' padding; the last group may leave its padding out. None for anything else.
std::optional<PropertyList::Data> base64Bytes(std::string_view text) {
    PropertyList::Data bytes;
    std::uint32_t bits = 0;
    int symbols = 0;
    int padding = 0;
    const auto endGroup = [&] {
        const std::uint32_t group = bits << (6 * (4 - symbols));
        for (int k = 0; k < symbols - 1 - padding; ++k) {
            bytes.push_back(static_cast<std::uint8_t>(group >> (16 - 8 * k)));
        }
        bits = 0;
        symbols = 0;
        padding = 0;
    };
    for (char c : text) {
        if (isXMLSpace(c)) {
            continue;
        }
        const int value = base64Value(c);
        if (c == '=' ? symbols < 2 : value < 0 || padding > 0) {
            return std::nullopt; // padding too early, a symbol after padding, or no base64 symbol
        }
        padding += c == '=' ? 1 : 0;
        bits = bits << 6 | static_cast<std::uint32_t>(c == '=' ? 0 : value);
        if (++symbols == 4) {
            endGroup();
        }
    }
    if (symbols == 1) {
        return std::nullopt; // six bits make no byte
    }
    if (symbols > 1) {
        endGroup();
    }
    return bytes;
}

void appendUTF8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(lead[continuations] | (c >> (6 * continuations)));
    for (int k = continuations - 1; k >= 0; --k) {
        out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
}

/// The character a reference names (what stands between '&' and ';'): one of XML's five entities, or a
/// decimal or hexadecimal character number from 1 to 0x10FFFF. None for anything else.
std::optional<std::uint32_t> referencedCharacter(std::string_view name) noexcept {
    constexpr std::pair<std::string_view, char> entities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : entities) {
        if (name == entity) {
            return static_cast<std::uint32_t>(c);
        }
    }
    if (name.size() < 2 || name.front() != '#') {
        return std::nullopt;
    }
    name.remove_prefix(1);
    std::uint32_t base = 10;
    if (name.front() == 'x' || name.front() == 'X') {
        base = 16;
        name.remove_prefix(1);
    }
    if (name.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : name) {
        const std::uint32_t digit =
            c >= '0' && c <= '9'                 ? static_cast<std::uint32_t>(c - '0')
            : base == 16 && c >= 'a' && c <= 'f' ? static_cast<std::uint32_t>(c - 'a' + 10)
            : base == 16 && c >= 'A' && c <= 'F' ? static_cast<std::uint32_t>(c - 'A' + 10)
                                                 : base;
        if (digit >= base) {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0x10FFFF) {
            return std::nullopt;
        }
    }
    return value != 0 ? std::optional<std::uint32_t>(value) : std::nullopt;
}

/// Appends character data to a text, references replaced by their characters; an error for a '&' that
/// starts no known reference and for a NUL character.
std::optional<std::string> appendCharacterData(std::string& out, std::string_view data) {
    while (!data.empty()) {
        const std::size_t special = data.find_first_of(std::string_view("&\0", 2));
        out.append(data.substr(0, special));
        if (special == std::string_view::npos) {
            break;
        }
        if (data[special] == '\0') {
            return "a NUL character in a text";
        }
        const std::size_t semicolon = data.find(';', special);
        const std::string_view name = semicolon == std::string_view::npos
                                          ? std::string_view()
                                          : data.substr(special + 1, semicolon - special - 1);
        const std::optional<std::uint32_t> c = referencedCharacter(name);
        if (!c) {
            return joined({"a '&' that starts no known reference: \"", data.substr(special, 20), "\""});
        }
        appendUTF8(out, *c);
        data.remove_prefix(semicolon + 1);
    }
    return std::nullopt;
}

/// Reads an XML property list in one pass, building the value as its elements close. It follows the
/// elements, refuses what is not a well-formed property list or would read as something else than the
/// text says, and limits the nesting of arrays and dictionaries.
class Reader {
public:
    explicit Reader(std::string_view xml) : xml_(xml) {}

    /// The value, or none and an error message in `error`.
    std::optional<PropertyList> read(std::string& error) {
        if (std::optional<std::string> failure = readElements()) {
            error = std::move(*failure);
            return std::nullopt;
        }
        return std::move(root_);
    }

private:
    enum class Kind { Plist, Dict, Array, Key, String, Integer, Real, Boolean, Data, Date };
    struct Level {
        Kind kind;
        std::string_view name;
        std::size_t contentStart;
        bool expectKey = true; // dictionaries: the next child must be a key
        bool hasValue = false; // <plist>: it holds its value
        PropertyList value{};  // arrays and dictionaries: the value so far; <plist>: its value
        std::string text{};    // texts and keys: the text so far; dictionaries: the key awaiting its value
    };

    std::optional<std::string> readElements() {
        std::size_t i = startsWith(0, "\xEF\xBB\xBF") ? 3 : 0; // a UTF-8 byte-order mark
        while (i < xml_.size()) {
            if (xml_[i] != '<') {
                std::size_t j = xml_.find('<', i);
                if (j == std::string_view::npos) {
                    j = xml_.size();
                }
                const std::string_view data = xml_.substr(i, j - i);
                if (insideText()) {
                    if (std::optional<std::string> error = appendCharacterData(stack_.back().text, data)) {
                        return error;
                    }
                } else if (!insideScalar() && !allSpace(data)) {
                    return "text outside a value";
                }
                i = j;
                continue;
            }
            std::optional<std::string> error;
            if (startsWith(i, "<?")) {
                if (insideText()) {
                    return "a processing instruction inside a text";
                }
                error = skipPast(i, "<?", "?>", "an unterminated processing instruction");
            } else if (startsWith(i, "<!--")) {
                error = skipPast(i, "<!--", "-->", "an unterminated comment");
            } else if (startsWith(i, "<![CDATA[")) {
                error = characterSection(i);
            } else if (startsWith(i, "<!DOCTYPE")) {
                error = skipDeclaration(i);
            } else if (startsWith(i, "<!")) {
                return "an unknown declaration";
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
        if (!root_) {
            return "no value";
        }
        return std::nullopt;
    }

    static std::optional<Kind> kindOf(std::string_view name) noexcept {
        constexpr std::pair<std::string_view, Kind> kinds[] = {
            {"plist", Kind::Plist}, {"dict", Kind::Dict},     {"array", Kind::Array},
            {"key", Kind::Key},     {"string", Kind::String}, {"integer", Kind::Integer},
            {"real", Kind::Real},   {"true", Kind::Boolean},  {"false", Kind::Boolean},
            {"data", Kind::Data},   {"date", Kind::Date}};
        for (const auto& [elementName, kind] : kinds) {
            if (name == elementName) {
                return kind;
            }
        }
        return std::nullopt;
    }

    static bool isContainer(Kind kind) noexcept {
        return kind == Kind::Plist || kind == Kind::Dict || kind == Kind::Array;
    }

    bool insideScalar() const noexcept { return !stack_.empty() && !isContainer(stack_.back().kind); }

    /// Inside a text or a key, whose character data this reader collects.
    bool insideText() const noexcept {
        return !stack_.empty() && (stack_.back().kind == Kind::String || stack_.back().kind == Kind::Key);
    }

    bool startsWith(std::size_t i, std::string_view prefix) const noexcept {
        return xml_.substr(i, prefix.size()) == prefix;
    }

    /// Moves `i` from the `opening` of a section past its `closing`.
    std::optional<std::string> skipPast(std::size_t& i, std::string_view opening, std::string_view closing,
                                        const char* error) const {
        const std::size_t j = xml_.find(closing, i + opening.size());
        if (j == std::string_view::npos) {
            return error;
        }
        i = j + closing.size();
        return std::nullopt;
    }

    /// <![CDATA[…]]>: inside a text, its characters as they stand.
    std::optional<std::string> characterSection(std::size_t& i) {
        if (!insideScalar()) {
            return "text outside a value";
        }
        const std::size_t start = i + 9;
        if (std::optional<std::string> error =
                skipPast(i, "<![CDATA[", "]]>", "an unterminated CDATA section")) {
            return error;
        }
        if (insideText()) {
            const std::string_view data = xml_.substr(start, i - 3 - start);
            if (data.find('\0') != std::string_view::npos) {
                return "a NUL character in a text";
            }
            stack_.back().text.append(data);
        }
        return std::nullopt;
    }

    /// <!DOCTYPE …>, with an internal subset in brackets and quoted texts.
    std::optional<std::string> skipDeclaration(std::size_t& i) const {
        if (!stack_.empty() || root_) {
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
            } else if (c == '<' || (c == '/' && j + 1 < xml_.size() && xml_[j + 1] != '>')) {
                return joined({"a '", std::string_view(&xml_[j], 1), "' inside a tag"});
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
        if (root_) {
            return "content after the end of the property list";
        }
        if (std::optional<std::string> error = adopt(*kind, name)) {
            return error;
        }
        Level level{*kind, name, end + 1};
        if (*kind == Kind::Array) {
            level.value = PropertyList::Array{};
        }
        i = end + 1;
        if (selfClosing) {
            return close(std::move(level), {});
        }
        if ((*kind == Kind::Dict || *kind == Kind::Array) &&
            ++containerDepth_ > NSPropertyListSerialization::maximumDepth) {
            return "arrays and dictionaries nested too deeply";
        }
        stack_.push_back(std::move(level));
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
        std::string_view name = xml_.substr(i + 2, end - i - 2);
        while (!name.empty() && isXMLSpace(name.back())) {
            name.remove_suffix(1);
        }
        if (stack_.empty() || stack_.back().name != name) {
            return joined({"a mismatched closing tag </", name, ">"});
        }
        Level level = std::move(stack_.back());
        stack_.pop_back();
        if (level.kind == Kind::Dict || level.kind == Kind::Array) {
            --containerDepth_;
        }
        const std::string_view content = xml_.substr(level.contentStart, i - level.contentStart);
        i = end + 1;
        return close(std::move(level), content);
    }

    /// Finishes an element whose content (as it stands in the text) is `content`, and hands its value
    /// to the element around it.
    std::optional<std::string> close(Level level, std::string_view content) {
        if (level.kind == Kind::Key) {
            stack_.back().text = std::move(level.text); // adopt() has seen that a dictionary holds it
            return std::nullopt;
        }
        PropertyList value;
        if (std::optional<std::string> error = valueOf(level, content, value)) {
            return error;
        }
        if (stack_.empty()) {
            root_ = std::move(value);
            return std::nullopt;
        }
        Level& parent = stack_.back();
        if (parent.kind == Kind::Array) {
            parent.value.array()->push_back(std::move(value));
        } else if (parent.kind == Kind::Dict) {
            parent.value.dictionary()->set(std::move(parent.text), std::move(value));
            parent.text.clear();
        } else {
            parent.value = std::move(value);
        }
        return std::nullopt;
    }

    /// The value of a finished element other than a key, or an error.
    static std::optional<std::string> valueOf(Level& level, std::string_view content, PropertyList& value) {
        const std::string_view text = trimmed(content);
        switch (level.kind) {
        case Kind::Plist:
            if (!level.hasValue) {
                return "an empty <plist>";
            }
            value = std::move(level.value);
            return std::nullopt;
        case Kind::Dict:
            if (!level.expectKey) {
                return "a key without a value in a dictionary";
            }
            value = std::move(level.value);
            return std::nullopt;
        case Kind::Array:
            value = std::move(level.value);
            return std::nullopt;
        case Kind::String:
            value = std::move(level.text);
            return std::nullopt;
        case Kind::Integer:
            if (const std::optional<std::int64_t> integer = plainInteger(text)) {
                value = *integer;
                return std::nullopt;
            }
            return joined({"an integer that is not a 64-bit decimal: \"", text.substr(0, 40), "\""});
        case Kind::Real:
            if (const std::optional<double> real = decimalReal(text)) {
                value = *real;
                return std::nullopt;
            }
            return joined({"a real that is not a number: \"", text.substr(0, 40), "\""});
        case Kind::Boolean:
            if (!text.empty()) {
                return "text inside a boolean";
            }
            value = level.name == "true";
            return std::nullopt;
        case Kind::Data:
            if (std::optional<PropertyList::Data> bytes = base64Bytes(content)) {
                value = std::move(*bytes);
                return std::nullopt;
            }
            return "data that is not base64";
        case Kind::Date:
            return "a date, which this reader does not support";
        case Kind::Key:
            break;
        }
        return "a key outside a dictionary";
    }

    std::string_view xml_;
    std::vector<Level> stack_;
    std::size_t containerDepth_ = 0;
    std::optional<PropertyList> root_;
};

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
    // The binary format's magic ("bplist" and a two-digit version): say so rather than stumble on it.
    if (xml.substr(0, 6) == "bplist") {
        return readFailure(outError, "it is a binary property list; only XML property lists are read");
    }
    std::string error;
    std::optional<PropertyList> value = Reader(xml).read(error);
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
        support::CLocaleScope locale; // libplist writes numbers by the thread's locale
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
