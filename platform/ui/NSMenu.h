#pragma once
#include "ui/NSEvent.h"
#include "ui/TargetAction.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class NSMenu;

/// Stand-in for the platform's menu item: a title, an action selector sent without an explicit target to
/// whoever responds to it (the application object for "terminate:"), a key equivalent (with Command,
/// which the back ends produce from Ctrl) and an optional submenu. Main thread only.
class NSMenuItem {
public:
    /// An empty, untitled item.
    NSMenuItem() = default;
    /// `initWithTitle:action:keyEquivalent:`.
    NSMenuItem(std::string title, SEL action, std::string keyEquivalent)
        : title_(std::move(title)), action_(std::move(action)), keyEquivalent_(std::move(keyEquivalent)) {}

    const std::string& title() const { return title_; }
    const SEL& action() const { return action_; }
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    /// Modifiers the key equivalent needs: Command.
    NSEventModifierFlags keyEquivalentModifierMask() const { return NSEventModifierFlagCommand; }
    const std::shared_ptr<NSMenu>& submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<NSMenu> submenu) { submenu_ = std::move(submenu); }
    bool hasSubmenu() const { return submenu_ != nullptr; }

private:
    std::string title_;
    SEL action_;
    std::string keyEquivalent_;
    std::shared_ptr<NSMenu> submenu_;
};

/// Stand-in for the platform's menu: a title and items in order. The stand-in shows no menu bar; the
/// main menu serves its key equivalents. Main thread only.
class NSMenu {
public:
    explicit NSMenu(std::string title = {}) : title_(std::move(title)) {}

    const std::string& title() const { return title_; }
    const std::vector<std::shared_ptr<NSMenuItem>>& itemArray() const { return items_; }
    long numberOfItems() const { return static_cast<long>(items_.size()); }
    /// Appends `item`. Allocates.
    void addItem(std::shared_ptr<NSMenuItem> item) { items_.push_back(std::move(item)); }
    /// Appends and returns a new item (`addItemWithTitle:action:keyEquivalent:`). Allocates.
    std::shared_ptr<NSMenuItem> addItemWithTitle(std::string title, SEL action, std::string keyEquivalent);
    /// Finds the item (here or in a submenu) whose key equivalent and modifiers the key-down `event`
    /// matches, case-insensitively, and sends its action to the application; true when one did.
    bool performKeyEquivalent(const NSEvent& event);

private:
    std::string title_;
    std::vector<std::shared_ptr<NSMenuItem>> items_;
};

} // namespace platform
