#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "FuzzUnits.h"

#include "audiounit/ParameterTree.h"

#include <array>
#include <string>

namespace quorbel::fuzz {

using namespace platform;

namespace {

/// A key: mostly one the unit or the base knows, or a near miss of one; otherwise any text.
std::string buildKey(FuzzInput& in) {
    static constexpr std::array<const char*, 12> other = {
        "QuorbelParams", "type", "subtype", "manufacturer", "version", "name",
        "Tone",          "mix ", "",        "filtermode",   "MIX",     "quorbelparams"};
    const std::uint8_t choice = in.byte();
    if (choice < 128) {
        return std::string(kParameterTable[choice % kParameterCount].identifier);
    }
    if (choice < 200) {
        return other[choice % other.size()];
    }
    return in.text(24);
}

PropertyListDictionary buildDictionary(FuzzInput& in, int depth, int& budget);

/// A value of any kind; numbers of any bits, mostly ones that matter to the unit.
PropertyList buildValue(FuzzInput& in, int depth, int& budget) {
    --budget;
    switch (in.below(10)) {
    case 0:
        return PropertyList(in.flag());
    case 1:
        return PropertyList(static_cast<std::int64_t>(in.word()));
    case 2:
        return PropertyList(in.rawDouble());
    case 3:
        return PropertyList(static_cast<std::int64_t>(in.below(2048)) - 1024);
    case 4:
        return PropertyList(in.text(24));
    case 5: {
        const std::string bytes = in.text(16);
        return PropertyList(PropertyList::Data(bytes.begin(), bytes.end()));
    }
    case 6:
        if (depth > 0 && budget > 0) {
            PropertyList::Array array;
            for (std::uint64_t n = in.below(5); n > 0 && budget > 0 && !in.empty(); --n) {
                array.push_back(buildValue(in, depth - 1, budget));
            }
            return PropertyList(std::move(array));
        }
        return PropertyList(0.5);
    case 7:
        if (depth > 0 && budget > 0) {
            return PropertyList(buildDictionary(in, depth - 1, budget));
        }
        return PropertyList(5.0);
    default:
        return PropertyList(static_cast<double>(in.interestingFloat()));
    }
}

PropertyListDictionary buildDictionary(FuzzInput& in, int depth, int& budget) {
    PropertyListDictionary dictionary;
    for (std::uint64_t n = in.below(14); n > 0 && budget > 0 && !in.empty(); --n) {
        std::string key = buildKey(in);
        dictionary.set(std::move(key), buildValue(in, depth, budget));
    }
    return dictionary;
}

} // namespace

int fullStateTarget(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    if (in.below(16) == 0) {
        checkFullStateSetter(std::nullopt);
        return 0;
    }
    int budget = 200; // values in all, so that nesting stays cheap
    PropertyListDictionary state = buildDictionary(in, 4, budget);
    if (in.flag()) {
        // Most interesting cases hold a values entry: make one from what is left.
        state.set("QuorbelParams", PropertyList(buildDictionary(in, 2, budget)));
    }
    checkFullStateSetter(state);
    return 0;
}

} // namespace quorbel::fuzz
