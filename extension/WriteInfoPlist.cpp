// Writes the extension's Contents/Info.plist at build time. The component's codes, name and version
// are read from a unit made the way a host makes it, so the bundle can never describe another
// component than the one its library makes.
//   quorbel_extension_info OUT EXECUTABLE IDENTIFIER

#include "audiotoolbox/NSPropertyListSerialization.h"
#include "audiounit/QuorbelAudioUnit.h"
#include "audiounit/QuorbelComponent.h"
#include "extension/QuorbelExtension.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace platform;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OUT EXECUTABLE IDENTIFIER\n", argv[0]);
        return 2;
    }
    quorbel::registerQuorbelComponent();
    NSError error;
    const auto unit =
        AUAudioUnit::instantiate<quorbel::QuorbelAudioUnit>(quorbel::kQuorbelComponentDescription, 0, &error);
    if (!unit) {
        std::fprintf(stderr, "cannot make the unit: %s\n", error.localizedDescription().c_str());
        return 1;
    }
    const AudioComponentDescription& d = unit->componentDescription();
    const std::uint32_t version = unit->componentVersion();
    const std::string versionText = std::to_string(version >> 16) + "." +
                                    std::to_string((version >> 8) & 0xffu) + "." +
                                    std::to_string(version & 0xffu);
    const PropertyListDictionary component{{"type", stringFromFourCharCode(d.componentType)},
                                           {"subtype", stringFromFourCharCode(d.componentSubType)},
                                           {"manufacturer", stringFromFourCharCode(d.componentManufacturer)},
                                           {"name", unit->componentName()},
                                           {"version", version}};
    const PropertyListDictionary extension{
        {"NSExtensionPrincipalClass", quorbel::kQuorbelPrincipalClass},
        {"NSExtensionAttributes",
         PropertyListDictionary{{"AudioComponents", PropertyList::Array{component}}}}};
    const PropertyListDictionary info{{"CFBundleExecutable", argv[2]},
                                      {"CFBundleIdentifier", argv[3]},
                                      {"CFBundleName", argv[2]},
                                      {"CFBundlePackageType", "XPC!"},
                                      {"CFBundleShortVersionString", versionText},
                                      {"NSExtension", extension}};
    const auto xml = NSPropertyListSerialization::dataWithPropertyList(info, &error);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!xml || !(out << *xml) || !out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
