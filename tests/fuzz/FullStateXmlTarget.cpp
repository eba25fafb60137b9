#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "FuzzUnits.h"

#include "audiotoolbox/NSPropertyListSerialization.h"

#include <string_view>

namespace quorbel::fuzz {

using namespace platform;

int fullStateXmlTarget(const std::uint8_t* data, std::size_t size) {
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    NSError error;
    const std::optional<PropertyList> value = NSPropertyListSerialization::propertyListWithData(xml, &error);
    if (!value) {
        fuzzCheck(error.domain() == NSCocoaErrorDomain && error.code() == NSPropertyListReadCorruptError,
                  "unreadable text is refused with the corrupt-data error");
        return 0;
    }
    // What was read writes (unless a text holds a NUL, which the format cannot carry) and reads back equal.
    if (const std::optional<std::string> written =
            NSPropertyListSerialization::dataWithPropertyList(*value, &error)) {
        const std::optional<PropertyList> again =
            NSPropertyListSerialization::propertyListWithData(*written, &error);
        fuzzCheck(again.has_value() && *again == *value, "a written property list reads back equal");
    } else {
        fuzzCheck(error.code() == NSPropertyListWriteInvalidError,
                  "writing fails only with the invalid-data error");
    }
    const std::optional<PropertyListDictionary> dictionary =
        NSPropertyListSerialization::dictionaryWithData(xml, &error);
    fuzzCheck(dictionary.has_value() == (value->dictionary() != nullptr),
              "a dictionary is read exactly when the top level is one");
    if (dictionary) {
        checkFullStateSetter(*dictionary);
    }
    return 0;
}

} // namespace quorbel::fuzz
