#pragma once
/// Reading and writing property lists in the XML property-list format (writing on libplist).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "audiotoolbox/NSError.h"
#include "audiotoolbox/PropertyList.h"

namespace platform {

/// Converts property lists to and from XML property-list text. Reading is strict and takes one pass: it
/// refuses, with an error in NSCocoaErrorDomain (NSPropertyListReadCorruptError), text that is not a
/// well-formed XML property list (a binary property list with a message that says so), integers that are not
/// plain decimals within 64 bits, reals that are not numbers, data that is not base64, texts holding a NUL
/// character or a '&' that starts no known reference, keys without values, anything after the root value,
/// dates (which PropertyList does not hold) and nesting deeper than maximumDepth. Reading and writing use the
/// C locale whatever the process locale. Not real-time safe (allocates).
class NSPropertyListSerialization {
public:
    /// The deepest nesting of arrays and dictionaries accepted (the root counts as one level).
    static constexpr std::size_t maximumDepth = 256;

    /// The value that the XML text holds (propertyListWithData:options:format:error:), or none and
    /// the error.
    static std::optional<PropertyList> propertyListWithData(std::string_view xml, NSError* outError);

    /// Like propertyListWithData, and refuses a top level that is not a dictionary.
    static std::optional<PropertyListDictionary> dictionaryWithData(std::string_view xml, NSError* outError);

    /// The XML text of a value (dataWithPropertyList:format:options:error:), or none and the error
    /// (NSPropertyListWriteInvalidError) for texts or keys holding a NUL character, which the format
    /// cannot carry. Dictionaries are written in key order. A real -0.0 is written as 0.0.
    static std::optional<std::string> dataWithPropertyList(const PropertyList& value, NSError* outError);
};

} // namespace platform
