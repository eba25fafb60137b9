#include "audiotoolbox/NSPropertyListSerialization.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace platform;

namespace {

std::string plist(const std::string& body) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">";
    return text.append(body).append("</plist>\n");
}

std::string nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<array>";
        close += "</array>";
    }
    return plist(open + close);
}

} // namespace

TEST(NSPropertyListSerialization, EveryValueTypeSurvivesAnXMLRoundTrip) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const PropertyListDictionary quorbelParams{
        {"mix", 0.5f}, {"tone", 470.2327f}, {"volume", 0.7f}, {"orbit", -0.7314f}, {"feed", 40.0f}};
    const PropertyList state(PropertyListDictionary{
        {"type", 0x61756678},
        {"name", "Maker: <Effect> & \"more\" ü"},
        {"QuorbelParams", quorbelParams},
        {"integers", PropertyList::Array{0, -1, std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::int64_t>::max()}},
        {"reals", PropertyList::Array{0.1, 1e300, 5e-324, 3.0, nan, inf, -inf}},
        {"flags", PropertyList::Array{true, false}},
        {"data", PropertyList::Data{0, 1, 2, 255, 254}},
        {"empty",
         PropertyList::Array{"", PropertyList::Data{}, PropertyList::Array{}, PropertyListDictionary{}}},
    });
    NSError error;
    const std::optional<std::string> xml = NSPropertyListSerialization::dataWithPropertyList(state, &error);
    ASSERT_TRUE(xml.has_value()) << error.localizedDescription();
    EXPECT_NE(xml->find("<key>QuorbelParams</key>"), std::string::npos);

    const std::optional<PropertyList> back = NSPropertyListSerialization::propertyListWithData(*xml, &error);
    ASSERT_TRUE(back.has_value()) << error.localizedDescription();
    EXPECT_EQ(*back, state);
    // 32-bit values come back exactly (and are written as reals, not integers).
    const PropertyList* tone = back->dictionary()->find("QuorbelParams")->dictionary()->find("tone");
    ASSERT_NE(tone->real(), nullptr);
    EXPECT_EQ(static_cast<float>(*tone->real()), 470.2327f);
}

TEST(NSPropertyListSerialization, ReadingRefusesMalformedText) {
    const std::string refused[] = {
        "",
        "hello",
        plist("<dict><key>a</key><integer>1</int"),
        "<plist version=\"1.0\"><dict><key>a</key>",
        plist("<dict></array>"),
        plist("<integer>abc</integer>"),
        plist("<integer>010</integer>"),
        plist("<integer>0x1f</integer>"),
        plist("<integer>1.5</integer>"),
        plist("<integer>99999999999999999999</integer>"),
        plist("<integer></integer>"),
        plist("<real>1.5xyz</real>"),
        plist("<real>0x10</real>"),
        plist("<real></real>"),
        plist("<dict><key>a</key></dict>"),
        plist("<dict><key>a</key><key>b</key></dict>"),
        plist("<dict><string>x</string></dict>"),
        plist("<array><key>a</key></array>"),
        plist("<string>a</string><string>b</string>"),
        plist("<string>a</string>") + "junk",
        plist("<dict/>") + "<dict/>",
        plist("<true>x</true>"),
        plist("<data>!!!!</data>"),
        plist("<date>2020-01-01T00:00:00Z</date>"),
        plist("<bogus>1</bogus>"),
        plist("<string>&bogus;</string>"),
        plist("<string>a<string>b</string></string>"),
        plist(""),
        nested(static_cast<int>(NSPropertyListSerialization::maximumDepth) + 1),
        nested(200000),
        plist(std::string("<string>a\0b</string>", 20)),
        plist("<string>a&</string>"),
        plist("<string>&ampx;</string>"),
        plist("<real>+-1</real>"),
        plist("<data>AAECA</data>"),
        plist("<data>=AAA</data>"),
    };
    for (const std::string& text : refused) {
        NSError error;
        EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(text, &error).has_value())
            << text.substr(0, 200);
        EXPECT_EQ(error.domain(), NSCocoaErrorDomain) << text.substr(0, 200);
        EXPECT_EQ(error.code(), NSPropertyListReadCorruptError) << text.substr(0, 200);
        EXPECT_FALSE(error.localizedDescription().empty());
    }
}

TEST(NSPropertyListSerialization, ReadingAcceptsWhatWritersProduce) {
    struct Case {
        std::string text;
        PropertyList value;
    };
    const Case accepted[] = {
        {plist("<dict>\n\t<key>a</key>\n\t<integer>-5</integer>\n</dict>"),
         PropertyListDictionary{{"a", -5}}},
        {"<dict><key>a</key><real>+2.5</real></dict>", PropertyListDictionary{{"a", 2.5}}},
        {std::string("\xEF\xBB\xBF")
             .append(plist("<!-- note --><array><real> 1e2 </real><real>-infinity</real></array>")),
         PropertyList::Array{100.0, -std::numeric_limits<double>::infinity()}},
        {plist("<string><![CDATA[x<y]]>&amp;&#65;</string>"), "x<y&A"},
        {plist("<data>AAEC\n\t/w==</data>"), PropertyList::Data{0, 1, 2, 255}},
        {plist("<data>AAECAw</data>"), PropertyList::Data{0, 1, 2, 3}},
        {plist("<dict><key></key><string/></dict>"), PropertyListDictionary{{"", ""}}},
        {plist("<dict><key>a</key><true/><key>a</key><false/></dict>"), PropertyListDictionary{{"a", false}}},
    };
    for (const Case& c : accepted) {
        NSError error;
        const std::optional<PropertyList> value =
            NSPropertyListSerialization::propertyListWithData(c.text, &error);
        ASSERT_TRUE(value.has_value()) << c.text << ": " << error.localizedDescription();
        EXPECT_EQ(*value, c.value) << c.text;
    }
    const std::size_t deepest = NSPropertyListSerialization::maximumDepth;
    EXPECT_TRUE(
        NSPropertyListSerialization::propertyListWithData(nested(static_cast<int>(deepest)), nullptr));
}

TEST(NSPropertyListSerialization, DictionaryReadingRefusesOtherTopLevels) {
    NSError error;
    EXPECT_FALSE(NSPropertyListSerialization::dictionaryWithData(plist("<array/>"), &error));
    EXPECT_EQ(error.code(), NSPropertyListReadCorruptError);
    EXPECT_FALSE(NSPropertyListSerialization::dictionaryWithData(plist("<string>x</string>"), nullptr));
    const std::optional<PropertyListDictionary> d = NSPropertyListSerialization::dictionaryWithData(
        plist("<dict><key>k</key><integer>1</integer></dict>"), &error);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(*d, (PropertyListDictionary{{"k", 1}}));
}

TEST(NSPropertyListSerialization, WritingRefusesWhatTheFormatCannotCarry) {
    NSError error;
    EXPECT_FALSE(
        NSPropertyListSerialization::dataWithPropertyList(PropertyList(std::string("a\0b", 3)), &error));
    EXPECT_EQ(error.code(), NSPropertyListWriteInvalidError);
    PropertyList deep = PropertyList::Array{};
    for (std::size_t i = 0; i < NSPropertyListSerialization::maximumDepth; ++i) {
        deep = PropertyList(PropertyList::Array{deep});
    }
    EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(deep, &error));
}
