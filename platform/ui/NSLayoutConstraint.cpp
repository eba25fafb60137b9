#include "ui/NSLayoutConstraint.h"

#include "ui/NSView.h"

#include <cmath>
#include <optional>

namespace platform {

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::make(NSLayoutRelation relation,
                                                         const NSLayoutAnchor* other, CGFloat multiplier,
                                                         CGFloat constant) const {
    return std::make_shared<NSLayoutConstraint>(
        view_, attribute_, relation, other != nullptr ? other->view_ : std::weak_ptr<NSView>{},
        other != nullptr ? other->attribute_ : NSLayoutAttributeNotAnAttribute, multiplier, constant);
}

void NSLayoutConstraint::activateConstraints(
    std::initializer_list<std::shared_ptr<NSLayoutConstraint>> list) {
    for (const auto& c : list) {
        if (c) {
            c->setActive(true);
        }
    }
}

void NSLayoutConstraint::activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list) {
    for (const auto& c : list) {
        if (c) {
            c->setActive(true);
        }
    }
}

void NSLayoutConstraint::setActive(bool active) {
    if (active == active_) {
        return;
    }
    const auto first = first_.lock();
    const auto second = second_.lock();
    if (active) {
        if (!first) {
            return;
        }
        active_ = true;
        first->addConstraint(shared_from_this());
        if (second && second != first) {
            second->addConstraint(shared_from_this());
        }
    } else {
        active_ = false;
        if (first) {
            first->removeConstraint(this);
        }
        if (second && second != first) {
            second->removeConstraint(this);
        }
    }
}

namespace {

enum class Axis { X, Y };

Axis axisOf(NSLayoutAttribute a) {
    switch (a) {
    case NSLayoutAttributeTop:
    case NSLayoutAttributeBottom:
    case NSLayoutAttributeHeight:
    case NSLayoutAttributeCenterY:
        return Axis::Y;
    default:
        return Axis::X;
    }
}

bool isSize(NSLayoutAttribute a) {
    return a == NSLayoutAttributeWidth || a == NSLayoutAttributeHeight;
}

NSLayoutAttribute normalized(NSLayoutAttribute a) {
    // Left-to-right text only: leading is left, trailing is right.
    if (a == NSLayoutAttributeLeading) {
        return NSLayoutAttributeLeft;
    }
    if (a == NSLayoutAttributeTrailing) {
        return NSLayoutAttributeRight;
    }
    return a;
}

/// The value of `attribute` of a rectangle in a space whose y grows downward when `yDown`.
CGFloat attributeOf(const CGRect& r, NSLayoutAttribute attribute, bool yDown) {
    switch (normalized(attribute)) {
    case NSLayoutAttributeLeft:
        return r.minX();
    case NSLayoutAttributeRight:
        return r.maxX();
    case NSLayoutAttributeTop:
        return yDown ? r.minY() : r.maxY();
    case NSLayoutAttributeBottom:
        return yDown ? r.maxY() : r.minY();
    case NSLayoutAttributeWidth:
        return r.width();
    case NSLayoutAttributeHeight:
        return r.height();
    case NSLayoutAttributeCenterX:
        return r.midX();
    case NSLayoutAttributeCenterY:
        return r.midY();
    default:
        return NAN;
    }
}

/// `attribute` of `item` in the coordinates of `parent`.
CGFloat valueIn(const NSView& parent, const NSView& item, NSLayoutAttribute attribute) {
    const CGRect r = &item == &parent ? parent.bounds() : parent.convertRectFromView(item.bounds(), &item);
    return attributeOf(r, attribute, parent.isFlipped());
}

/// One condition on an attribute of the view being solved: attribute (relation) value.
struct Condition {
    NSLayoutAttribute attribute;
    NSLayoutRelation relation;
    CGFloat value;
};

NSLayoutRelation reversed(NSLayoutRelation r) {
    return r == NSLayoutRelationLessThanOrEqual      ? NSLayoutRelationGreaterThanOrEqual
           : r == NSLayoutRelationGreaterThanOrEqual ? NSLayoutRelationLessThanOrEqual
                                                     : r;
}

/// The conditions the constraints of `view` put on it, evaluated in `parent`'s coordinates (null parent:
/// only constant conditions).
std::vector<Condition> conditionsOn(const NSView& view, const NSView* parent) {
    std::vector<Condition> out;
    for (const auto& c : view.constraints()) {
        if (!c->isActive()) {
            continue;
        }
        const NSView* first = c->firstItem();
        const NSView* second = c->secondItem();
        const bool constantOnly = c->secondAttribute() == NSLayoutAttributeNotAnAttribute;
        if (first == &view && second == &view) {
            continue; // relations within one view (aspect ratios) are not handled
        }
        if (first == &view) {
            if (constantOnly) {
                out.push_back({c->firstAttribute(), c->relation(), c->constant()});
            } else if (second != nullptr && parent != nullptr) {
                const CGFloat other = valueIn(*parent, *second, c->secondAttribute());
                out.push_back({c->firstAttribute(), c->relation(), other * c->multiplier() + c->constant()});
            }
        } else if (second == &view && first != nullptr && parent != nullptr && c->multiplier() != 0) {
            // first = m x view + c, solved for the view's attribute.
            const CGFloat other = valueIn(*parent, *first, c->firstAttribute());
            const NSLayoutRelation r = c->multiplier() > 0 ? reversed(c->relation()) : c->relation();
            out.push_back({c->secondAttribute(), r, (other - c->constant()) / c->multiplier()});
        }
    }
    return out;
}

/// Size along one axis: the equality, else the one given, limited by the inequalities.
CGFloat solveSize(const std::vector<Condition>& conditions, NSLayoutAttribute sizeAttribute,
                  CGFloat fallback) {
    CGFloat size = fallback;
    for (const auto& c : conditions) {
        if (c.attribute == sizeAttribute && c.relation == NSLayoutRelationEqual && std::isfinite(c.value)) {
            size = c.value;
        }
    }
    for (const auto& c : conditions) {
        if (c.attribute == sizeAttribute && c.relation == NSLayoutRelationGreaterThanOrEqual &&
            std::isfinite(c.value) && size < c.value) {
            size = c.value;
        }
    }
    for (const auto& c : conditions) {
        if (c.attribute == sizeAttribute && c.relation == NSLayoutRelationLessThanOrEqual &&
            std::isfinite(c.value) && size > c.value) {
            size = c.value;
        }
    }
    return size < 0 ? 0 : size;
}

bool hasSizeEquality(const std::vector<Condition>& conditions, NSLayoutAttribute sizeAttribute) {
    for (const auto& c : conditions) {
        if (c.attribute == sizeAttribute && c.relation == NSLayoutRelationEqual) {
            return true;
        }
    }
    return false;
}

/// The equal conditions on the positions of one axis.
std::vector<Condition> positionEqualities(const std::vector<Condition>& conditions, Axis axis) {
    std::vector<Condition> out;
    for (const auto& c : conditions) {
        if (!isSize(c.attribute) && axisOf(c.attribute) == axis && c.relation == NSLayoutRelationEqual &&
            std::isfinite(c.value)) {
            out.push_back({normalized(c.attribute), c.relation, c.value});
        }
    }
    return out;
}

/// The low edge (minX, or minY) that a position condition gives for `size`.
CGFloat lowEdge(const Condition& c, CGFloat size, bool yDown) {
    switch (c.attribute) {
    case NSLayoutAttributeLeft:
        return c.value;
    case NSLayoutAttributeRight:
        return c.value - size;
    case NSLayoutAttributeTop:
        return yDown ? c.value : c.value - size;
    case NSLayoutAttributeBottom:
        return yDown ? c.value - size : c.value;
    default: // centres
        return c.value - size * 0.5;
    }
}

/// Size implied by two different position equalities on one axis, when there are two.
std::optional<CGFloat> sizeFromEdges(const std::vector<Condition>& positions, bool yDown) {
    if (positions.size() < 2 || positions[0].attribute == positions[1].attribute) {
        return std::nullopt;
    }
    // Each condition gives low = value - k x size, with k = 0, 1/2 or 1; two of them fix the size.
    auto k = [yDown](const Condition& c) {
        switch (c.attribute) {
        case NSLayoutAttributeLeft:
            return 0.0;
        case NSLayoutAttributeRight:
            return 1.0;
        case NSLayoutAttributeTop:
            return yDown ? 0.0 : 1.0;
        case NSLayoutAttributeBottom:
            return yDown ? 1.0 : 0.0;
        default:
            return 0.5;
        }
    };
    const double dk = k(positions[0]) - k(positions[1]);
    if (dk == 0) {
        return std::nullopt;
    }
    return (positions[0].value - positions[1].value) / dk;
}

void solveSubview(NSView& parent, NSView& view) {
    const std::vector<Condition> conditions = conditionsOn(view, &parent);
    const bool yDown = parent.isFlipped();
    const CGRect current = view.frame().standardized();
    const CGSize natural = NSLayoutConstraint::sizeFromConstraints(view);
    const auto xs = positionEqualities(conditions, Axis::X);
    const auto ys = positionEqualities(conditions, Axis::Y);

    CGFloat width = solveSize(conditions, NSLayoutAttributeWidth, natural.width);
    if (!hasSizeEquality(conditions, NSLayoutAttributeWidth)) {
        if (const auto fromEdges = sizeFromEdges(xs, yDown)) {
            width = solveSize(conditions, NSLayoutAttributeWidth, *fromEdges);
        }
    }
    CGFloat height = solveSize(conditions, NSLayoutAttributeHeight, natural.height);
    if (!hasSizeEquality(conditions, NSLayoutAttributeHeight)) {
        if (const auto fromEdges = sizeFromEdges(ys, yDown)) {
            height = solveSize(conditions, NSLayoutAttributeHeight, *fromEdges);
        }
    }
    const CGFloat x = xs.empty() ? current.minX() : lowEdge(xs.front(), width, yDown);
    const CGFloat y = ys.empty() ? current.minY() : lowEdge(ys.front(), height, yDown);
    view.setFrame({x, y, width, height});
}

} // namespace

CGSize NSLayoutConstraint::sizeFromConstraints(const NSView& view) {
    const std::vector<Condition> conditions = conditionsOn(view, nullptr);
    const CGSize intrinsic = view.intrinsicContentSize();
    const CGRect current = view.frame().standardized();
    const CGFloat w = intrinsic.width >= 0 ? intrinsic.width : current.width();
    const CGFloat h = intrinsic.height >= 0 ? intrinsic.height : current.height();
    return {solveSize(conditions, NSLayoutAttributeWidth, w),
            solveSize(conditions, NSLayoutAttributeHeight, h)};
}

void NSLayoutConstraint::layoutConstrainedSubviews(NSView& view) {
    // Twice, so that a subview placed against a sibling sees that sibling's new frame.
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<std::shared_ptr<NSView>> children = view.subviews();
        for (const auto& child : children) {
            if (!child->translatesAutoresizingMaskIntoConstraints()) {
                solveSubview(view, *child);
            }
        }
    }
}

} // namespace platform
