#pragma once
#include "ui/NSLayoutAnchor.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace platform {

/// Stand-in for the platform's layout constraint: firstItem.firstAttribute (relation)
/// secondItem.secondAttribute x multiplier + constant, or against the constant alone. All constraints are
/// required. The solver is small, not general: when a view lays out, each subview that does not
/// translate its autoresizing mask takes its width and height from its equalities (else its intrinsic
/// size, else its current size), limited by its inequalities, then its position from its equalities on
/// an edge or a centre (else it keeps its origin). Items are held weakly; a constraint whose view is gone
/// is ignored. Main thread.
class NSLayoutConstraint : public std::enable_shared_from_this<NSLayoutConstraint> {
public:
    /// Activates every constraint of the list.
    static void activateConstraints(std::initializer_list<std::shared_ptr<NSLayoutConstraint>> constraints);
    static void activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);

    NSView* firstItem() const { return first_.lock().get(); }
    NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
    NSLayoutRelation relation() const { return relation_; }
    /// The second item, or null for a constraint against the constant.
    NSView* secondItem() const { return second_.lock().get(); }
    NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
    CGFloat multiplier() const { return multiplier_; }
    CGFloat constant() const { return constant_; }
    bool isActive() const { return active_; }
    /// Installs the constraint on its first item (or removes it) and asks for layout.
    void setActive(bool active);

    NSLayoutConstraint(std::weak_ptr<NSView> first, NSLayoutAttribute firstAttribute,
                       NSLayoutRelation relation, std::weak_ptr<NSView> second,
                       NSLayoutAttribute secondAttribute, CGFloat multiplier, CGFloat constant)
        : first_(std::move(first)), firstAttribute_(firstAttribute), relation_(relation),
          second_(std::move(second)), secondAttribute_(secondAttribute), multiplier_(multiplier),
          constant_(constant) {}

    /// Sets the frames of `view`'s subviews that do not translate their autoresizing mask from their
    /// constraints (what NSView::layout does).
    static void layoutConstrainedSubviews(NSView& view);
    /// The size `view`'s own constraints give it (equalities with a constant, limited by inequalities with
    /// a constant), else its intrinsic size, else its current size; per axis.
    static CGSize sizeFromConstraints(const NSView& view);

private:
    std::weak_ptr<NSView> first_;
    NSLayoutAttribute firstAttribute_;
    NSLayoutRelation relation_;
    std::weak_ptr<NSView> second_;
    NSLayoutAttribute secondAttribute_;
    CGFloat multiplier_;
    CGFloat constant_;
    bool active_ = false;
};

} // namespace platform
