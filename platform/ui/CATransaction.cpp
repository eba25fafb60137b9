#include "ui/CATransaction.h"

#include <vector>

namespace platform {

namespace {
// The disable-actions flag of each open transaction, innermost last.
std::vector<bool>& openTransactions() {
    static std::vector<bool> open;
    return open;
}
} // namespace

void CATransaction::begin() {
    auto& open = openTransactions();
    // A nested transaction starts with its parent's flag, as the platform's do.
    open.push_back(!open.empty() && open.back());
}

void CATransaction::commit() {
    auto& open = openTransactions();
    if (!open.empty()) {
        open.pop_back();
    }
}

void CATransaction::setDisableActions(bool flag) {
    auto& open = openTransactions();
    if (!open.empty()) {
        open.back() = flag;
    }
}

bool CATransaction::disableActions() {
    const auto& open = openTransactions();
    return !open.empty() && open.back();
}

int CATransaction::depth() {
    return static_cast<int>(openTransactions().size());
}

} // namespace platform
