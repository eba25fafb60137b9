#pragma once
#include "graphics/CGGeometry.h"

#include <memory>

namespace platform {

class NSView;
class NSLayoutConstraint;

/// Attributes of a view that constraints relate, with the platform's values. The stand-in's solver
/// handles left, right, top, bottom, width, height and the two centres.
enum NSLayoutAttribute : int {
    NSLayoutAttributeNotAnAttribute = 0,
    NSLayoutAttributeLeft = 1,
    NSLayoutAttributeRight = 2,
    NSLayoutAttributeTop = 3,
    NSLayoutAttributeBottom = 4,
    NSLayoutAttributeLeading = 5,
    NSLayoutAttributeTrailing = 6,
    NSLayoutAttributeWidth = 7,
    NSLayoutAttributeHeight = 8,
    NSLayoutAttributeCenterX = 9,
    NSLayoutAttributeCenterY = 10,
};

/// Relation of a constraint, with the platform's values.
enum NSLayoutRelation : int {
    NSLayoutRelationLessThanOrEqual = -1,
    NSLayoutRelationEqual = 0,
    NSLayoutRelationGreaterThanOrEqual = 1,
};

/// One attribute of one view, from which constraints are made (`NSLayoutAnchor`). Holds the view
/// weakly. Made by the view's anchor accessors.
class NSLayoutAnchor {
public:
    NSLayoutAnchor(std::weak_ptr<NSView> view, NSLayoutAttribute attribute)
        : view_(std::move(view)), attribute_(attribute) {}

protected:
    /// first.attribute (relation) other.attribute x multiplier + constant; inactive.
    std::shared_ptr<NSLayoutConstraint> make(NSLayoutRelation relation, const NSLayoutAnchor* other,
                                             CGFloat multiplier, CGFloat constant) const;

private:
    std::weak_ptr<NSView> view_;
    NSLayoutAttribute attribute_;
};

/// A position anchor on one axis; `Self` is the axis's anchor class, so that a horizontal position is
/// only ever related to another horizontal one. The constraints made are inactive.
template <class Self> class NSLayoutPositionAnchor : public NSLayoutAnchor {
public:
    using NSLayoutAnchor::NSLayoutAnchor;
    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const Self& anchor,
                                                                CGFloat constant = 0) const {
        return make(NSLayoutRelationEqual, &anchor, 1, constant);
    }
    std::shared_ptr<NSLayoutConstraint> constraintLessThanOrEqualToAnchor(const Self& anchor,
                                                                          CGFloat constant = 0) const {
        return make(NSLayoutRelationLessThanOrEqual, &anchor, 1, constant);
    }
};

/// A horizontal position anchor (left, right, centre x).
class NSLayoutXAxisAnchor : public NSLayoutPositionAnchor<NSLayoutXAxisAnchor> {
public:
    using NSLayoutPositionAnchor::NSLayoutPositionAnchor;
};

/// A vertical position anchor (top, bottom, centre y).
class NSLayoutYAxisAnchor : public NSLayoutPositionAnchor<NSLayoutYAxisAnchor> {
public:
    using NSLayoutPositionAnchor::NSLayoutPositionAnchor;
};

/// A size anchor (width, height): against a constant, or against another size times a multiplier plus
/// a constant. The constraints made are inactive.
class NSLayoutDimension : public NSLayoutAnchor {
public:
    using NSLayoutAnchor::NSLayoutAnchor;
    std::shared_ptr<NSLayoutConstraint> constraintEqualToConstant(CGFloat constant) const {
        return make(NSLayoutRelationEqual, nullptr, 0, constant);
    }
    /// `constraintEqualToAnchor:multiplier:constant:`.
    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const NSLayoutDimension& anchor,
                                                                CGFloat multiplier = 1,
                                                                CGFloat constant = 0) const {
        return make(NSLayoutRelationEqual, &anchor, multiplier, constant);
    }
    /// `constraintLessThanOrEqualToAnchor:multiplier:constant:`.
    std::shared_ptr<NSLayoutConstraint> constraintLessThanOrEqualToAnchor(const NSLayoutDimension& anchor,
                                                                          CGFloat multiplier = 1,
                                                                          CGFloat constant = 0) const {
        return make(NSLayoutRelationLessThanOrEqual, &anchor, multiplier, constant);
    }
};

} // namespace platform
