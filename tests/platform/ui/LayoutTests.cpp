// The constraint solver and the stack view on the container application's layout: a 400 x 300 content
// view, a vertical stack centred in it and at most 0.85 of its width, holding a 100 x 100 image view, a
// 12-point label, a 180 x 1 separator and a centred 13-point caption, 10 points apart.
#include "graphics/NSImage.h"
#include "ui/NSImageView.h"
#include "ui/NSLayoutConstraint.h"
#include "ui/NSStackView.h"
#include "ui/NSTextField.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct AboutLayout {
    std::shared_ptr<NSWindow> window;
    std::shared_ptr<NSStackView> stack;
    std::shared_ptr<NSImageView> logo;
    std::shared_ptr<NSTextField> version;
    std::shared_ptr<NSView> separator;
    std::shared_ptr<NSTextField> caption;
};

AboutLayout buildAbout(CGFloat width, CGFloat separatorWidth) {
    AboutLayout a;
    a.window = std::make_shared<NSWindow>(CGRect(0, 0, width, 300), NSWindowStyleMaskTitled);
    auto content = std::make_shared<NSView>(CGRect(0, 0, width, 300));
    a.window->setContentView(content);
    a.stack = std::make_shared<NSStackView>();
    a.stack->setOrientation(NSUserInterfaceLayoutOrientationVertical);
    a.stack->setAlignment(NSLayoutAttributeCenterX);
    a.stack->setSpacing(10);
    a.stack->setTranslatesAutoresizingMaskIntoConstraints(false);
    content->addSubview(a.stack);
    NSLayoutConstraint::activateConstraints({
        a.stack->centerXAnchor().constraintEqualToAnchor(content->centerXAnchor()),
        a.stack->centerYAnchor().constraintEqualToAnchor(content->centerYAnchor()),
        a.stack->widthAnchor().constraintLessThanOrEqualToAnchor(content->widthAnchor(), 0.85),
    });
    a.logo = NSImageView::imageViewWithImage(
        NSImage::imageWithSize({100, 100}, true, [](CGRect) { return true; }));
    a.logo->setTranslatesAutoresizingMaskIntoConstraints(false);
    a.logo->widthAnchor().constraintEqualToConstant(100)->setActive(true);
    a.logo->heightAnchor().constraintEqualToConstant(100)->setActive(true);
    a.stack->addArrangedSubview(a.logo);
    a.version = NSTextField::labelWithString("v1.2 (7)");
    a.version->setFont(NSFont::systemFontOfSize(12));
    a.stack->addArrangedSubview(a.version);
    a.separator = std::make_shared<NSView>();
    a.separator->setTranslatesAutoresizingMaskIntoConstraints(false);
    a.separator->heightAnchor().constraintEqualToConstant(1)->setActive(true);
    a.separator->widthAnchor().constraintEqualToConstant(separatorWidth)->setActive(true);
    a.stack->addArrangedSubview(a.separator);
    a.caption = NSTextField::labelWithString("Audio Unit Effect (AUv3)");
    a.caption->setFont(NSFont::systemFontOfSize(13));
    a.caption->setAlignment(NSTextAlignmentCenter);
    a.stack->addArrangedSubview(a.caption);
    a.window->layoutIfNeeded();
    return a;
}

} // namespace

TEST(Layout, StackIsCentredInTheContentWithItsViewsCentredTopDown) {
    OffscreenBackend::install();
    const AboutLayout a = buildAbout(400, 180);
    const CGSize v = a.version->intrinsicContentSize();
    const CGSize c = a.caption->intrinsicContentSize();
    ASSERT_LT(c.width, 180); // the separator is the widest view
    ASSERT_GT(v.height, 12);
    const CGFloat height = 100 + 10 + v.height + 10 + 1 + 10 + c.height;

    EXPECT_EQ(a.stack->frame(), CGRect(110, (300 - height) / 2, 180, height));
    // The stack is not flipped: the first view is at its top.
    EXPECT_EQ(a.logo->frame(), CGRect(40, height - 100, 100, 100));
    EXPECT_EQ(a.version->frame(), CGRect((180 - v.width) / 2, height - 110 - v.height, v.width, v.height));
    EXPECT_EQ(a.separator->frame(), CGRect(0, c.height + 10, 180, 1));
    EXPECT_EQ(a.caption->frame(), CGRect((180 - c.width) / 2, 0, c.width, c.height));
    a.window->close();
}

TEST(Layout, WidthLimitHoldsAgainstAWideView) {
    OffscreenBackend::install();
    const AboutLayout a = buildAbout(200, 180); // at most 170 wide
    EXPECT_EQ(a.stack->frame().size.width, 170);
    EXPECT_EQ(a.stack->frame().midX(), 100);
    a.window->close();
}
