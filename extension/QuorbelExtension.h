#pragma once
/// The effect's extension: the class of its principal object, as its Info.plist names it and its entry
/// point makes it.

namespace quorbel {

/// The principal class of the extension: the editor's view controller, which is also the unit factory.
inline constexpr const char* kQuorbelPrincipalClass = "QuorbelAUViewControllerMac";

} // namespace quorbel
