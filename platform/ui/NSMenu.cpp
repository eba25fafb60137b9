#include "ui/NSMenu.h"

#include "ui/NSApplication.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {
std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
constexpr NSEventModifierFlags modifierKeys = NSEventModifierFlagShift | NSEventModifierFlagControl |
                                              NSEventModifierFlagOption | NSEventModifierFlagCommand;
} // namespace

std::shared_ptr<NSMenuItem> NSMenu::addItemWithTitle(std::string title, SEL action,
                                                     std::string keyEquivalent) {
    auto item = std::make_shared<NSMenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
    items_.push_back(item);
    return item;
}

bool NSMenu::performKeyEquivalent(const NSEvent& event) {
    if (event.type != NSEventTypeKeyDown) {
        return false;
    }
    const std::string key = lowered(event.charactersIgnoringModifiers);
    for (const auto& item : items_) {
        if (item->hasSubmenu()) {
            if (item->submenu()->performKeyEquivalent(event)) {
                return true;
            }
            continue;
        }
        if (item->keyEquivalent().empty() || lowered(item->keyEquivalent()) != key ||
            (event.modifierFlags & modifierKeys) != (item->keyEquivalentModifierMask() & modifierKeys)) {
            continue;
        }
        NSApplication::shared().sendAction(item->action(), item.get());
        return true;
    }
    return false;
}

} // namespace platform
