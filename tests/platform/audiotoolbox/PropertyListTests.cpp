#include "audiotoolbox/PropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace platform;

TEST(PropertyList, EachValueHasOneTypeAndIntegersAreNotReals) {
    const PropertyList values[] = {PropertyList(true),
                                   PropertyList(7),
                                   PropertyList(7.0),
                                   PropertyList("seven"),
                                   PropertyList(PropertyList::Data{7}),
                                   PropertyList(PropertyList::Array{7}),
                                   PropertyList(PropertyListDictionary{{"seven", 7}})};
    const PropertyList::Type types[] = {PropertyList::Type::Boolean,   PropertyList::Type::Integer,
                                        PropertyList::Type::Real,      PropertyList::Type::String,
                                        PropertyList::Type::Data,      PropertyList::Type::Array,
                                        PropertyList::Type::Dictionary};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(values[i].type(), types[i]) << i;
        for (std::size_t j = 0; j < std::size(values); ++j) {
            EXPECT_EQ(values[i] == values[j], i == j) << i << " " << j;
        }
    }
    EXPECT_EQ(*PropertyList(7).integer(), 7);
    EXPECT_EQ(PropertyList(7).real(), nullptr);
    EXPECT_EQ(PropertyList(7).number(), 7.0);
    EXPECT_EQ(PropertyList(0.5f).number(), 0.5);
    EXPECT_EQ(PropertyList(true).number(), std::nullopt);
    EXPECT_EQ(PropertyList("7").number(), std::nullopt);
    EXPECT_EQ(PropertyList().type(), PropertyList::Type::Dictionary);
}

TEST(PropertyList, RealsCompareByValueAndNaNEqualsNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(PropertyList(nan), PropertyList(nan));
    EXPECT_EQ(PropertyList(0.0), PropertyList(-0.0));
    EXPECT_NE(PropertyList(0.1), PropertyList(static_cast<double>(0.1f)));
    EXPECT_EQ(PropertyList(PropertyList::Array{nan, 1}), PropertyList(PropertyList::Array{nan, 1}));
}

TEST(PropertyListDictionary, KeepsOneEntryPerKeySortedByKey) {
    PropertyListDictionary d{{"tone", 500}, {"mix", 0.5}, {"feed", 5}, {"mix", 0.25}};
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(*d.find("mix"), PropertyList(0.25));
    std::vector<std::string> keys;
    for (const auto& [key, value] : d) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"feed", "mix", "tone"}));

    d.set("Tone", 800);
    EXPECT_EQ(*d.find("tone"), PropertyList(500)); // keys are case-sensitive
    EXPECT_TRUE(d.erase("Tone"));
    EXPECT_FALSE(d.erase("Tone"));
    EXPECT_EQ(d.find("absent"), nullptr);

    // Equality ignores the order of construction, not values or types.
    EXPECT_EQ(d, (PropertyListDictionary{{"mix", 0.25}, {"tone", 500}, {"feed", 5}}));
    EXPECT_NE(d, (PropertyListDictionary{{"mix", 0.25}, {"tone", 500.0}, {"feed", 5}}));
    EXPECT_NE(d, (PropertyListDictionary{{"mix", 0.25}, {"tone", 500}}));

    PropertyList nested(PropertyListDictionary{{"inner", PropertyListDictionary{{"x", 1}}}});
    nested.dictionary()->find("inner")->dictionary()->set("x", 2);
    EXPECT_EQ(*nested.dictionary()->find("inner")->dictionary()->find("x"), PropertyList(2));
}
