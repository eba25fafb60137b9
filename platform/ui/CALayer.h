#pragma once
#include "graphics/CGColor.h"
#include "graphics/CGGeometry.h"
#include "graphics/CGImage.h"
#include "ui/CATransform3D.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {

class NSView;

/// Stand-in for Core Animation's layer: bounds, a position in the superlayer's space (the anchor is
/// always the centre), contents (a bitmap, stretched to the bounds, upright on screen), a background
/// colour, a transform (its 2-D part is applied about the position) and sublayers drawn in order above
/// the layer's own background and contents. Sublayer geometry is in the space of the layer above, which
/// for a view's backing layer is the view's own coordinate space (y downward in a flipped view).
/// There are no implicit animations: every change shows at the next redraw, which it asks for.
/// Main thread only.
class CALayer : public std::enable_shared_from_this<CALayer> {
public:
    /// A new layer (`[CALayer layer]`): empty bounds at (0, 0), no contents, no background, identity.
    static std::shared_ptr<CALayer> layer() { return std::make_shared<CALayer>(); }
    CALayer() = default;
    ~CALayer();
    CALayer(const CALayer&) = delete;
    CALayer& operator=(const CALayer&) = delete;

    /// The layer's own rectangle; its size is what contents and background fill.
    CGRect bounds() const { return bounds_; }
    void setBounds(CGRect bounds);
    /// Where the layer's centre sits in the superlayer's space.
    CGPoint position() const { return position_; }
    void setPosition(CGPoint position);

    /// The bitmap shown, stretched to the bounds; null for none.
    const std::shared_ptr<CGImage>& contents() const { return contents_; }
    void setContents(std::shared_ptr<CGImage> contents);
    /// The colour filling the bounds under the contents; none by default.
    const std::optional<CGColor>& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<CGColor> color);
    /// The transform about the position; replaces the earlier one.
    const CATransform3D& transform() const { return transform_; }
    void setTransform(const CATransform3D& transform);

    /// The sublayers, bottom first.
    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
    /// Appends `layer` above the others, taking it from its former superlayer. Allocates.
    void addSublayer(std::shared_ptr<CALayer> layer);
    /// Detaches the layer from its superlayer; nothing when it has none.
    void removeFromSuperlayer();

private:
    friend class NSView;
    /// Asks the window showing the layer's tree for a redraw.
    void setNeedsDisplay();

    CGRect bounds_;
    CGPoint position_;
    std::shared_ptr<CGImage> contents_;
    std::optional<CGColor> backgroundColor_;
    CATransform3D transform_;
    std::vector<std::shared_ptr<CALayer>> sublayers_;
    CALayer* superlayer_ = nullptr; ///< the layer this one is a sublayer of, or null
    NSView* hostingView_ = nullptr; ///< the view this layer backs, or null (sublayers, free layers)
};

} // namespace platform
