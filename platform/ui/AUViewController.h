#pragma once
#include "ui/NSViewController.h"

namespace platform {

/// Stand-in for the Audio Unit view controller base class: a view controller that a host asks for the
/// effect's editor view; it adds nothing of its own. Main thread only.
class AUViewController : public NSViewController {
public:
    AUViewController() = default;
};

} // namespace platform
