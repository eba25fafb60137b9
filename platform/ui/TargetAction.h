#pragma once
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

namespace platform {

/// A selector: the name of an action message as the platform spells it ("terminate:"). Used where an
/// action travels without a target to whoever responds to it (menu items).
using SEL = std::string;

/// Target and action of a control or gesture recogniser: the action message sent to the target with the
/// sender as argument. The target is not owned: it is held weakly (std::weak_ptr: nothing is sent once it
/// is gone) or, for a target that owns the sender (a view and its own recogniser), as a plain pointer that
/// must outlive the sender. An action taking a subclass of Sender receives the sender cast to it, and
/// nothing when the sender is not of that class. Main thread.
template <class Sender> class TargetAction {
public:
    /// No target, no action.
    TargetAction() = default;

    /// `action` on `target`, which owns (and so outlives) the sender.
    template <class Target, class Arg>
    TargetAction(Target* target, void (Target::*action)(Arg*))
        : send_([target, action](Sender* sender) { return deliver(target, action, sender); }) {}

    /// `action` on the object `target` points to, held weakly; Target is the object's class or a base.
    template <class Target, class Held, class Arg>
    requires std::is_base_of_v<Held, Target> || std::is_same_v<Held, Target>
    TargetAction(std::weak_ptr<Held> target, void (Target::*action)(Arg*))
        : send_([target = std::move(target), action](Sender* sender) {
              const std::shared_ptr<Held> strong = target.lock();
              return deliver(dynamic_cast<Target*>(strong.get()), action, sender);
          }) {}

    /// As the weak form, from a strong reference (the target is still held weakly).
    template <class Target, class Held, class Arg>
    requires std::is_base_of_v<Held, Target> || std::is_same_v<Held, Target>
    TargetAction(const std::shared_ptr<Held>& target, void (Target::*action)(Arg*))
        : TargetAction(std::weak_ptr<Held>(target), action) {}

    /// A handler without a target object.
    explicit TargetAction(std::function<void(Sender*)> handler)
        : send_([handler = std::move(handler)](Sender* sender) {
              if (!handler) {
                  return false;
              }
              handler(sender);
              return true;
          }) {}

    /// Sends the action with `sender`; false when there is none or its target is gone.
    bool send(Sender* sender) const { return send_ ? send_(sender) : false; }
    /// True when an action is set.
    explicit operator bool() const { return static_cast<bool>(send_); }

private:
    /// Calls `action` on `target` with the sender as `Arg`; false without a target or when the sender is
    /// not an `Arg`.
    template <class Target, class Arg>
    static bool deliver(Target* target, void (Target::*action)(Arg*), Sender* sender) {
        Arg* argument = cast<Arg>(sender);
        if (target == nullptr || (sender != nullptr && argument == nullptr)) {
            return false;
        }
        (target->*action)(argument);
        return true;
    }

    template <class Arg> static Arg* cast(Sender* sender) {
        if constexpr (std::is_convertible_v<Sender*, Arg*>) {
            return sender;
        } else {
            return dynamic_cast<Arg*>(sender);
        }
    }

    std::function<bool(Sender*)> send_;
};

} // namespace platform
