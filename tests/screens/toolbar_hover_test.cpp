#include "screens/toolbar_hover.h"

#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace inkwarden {
namespace {

// A 26 x 28 format button on a window of the given colours, shown offscreen
// and driven with real pointer moves and clicks.
struct Row {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    ToolbarHoverButton* button = new ToolbarHoverButton(window.get());

    Row(const QColor& background, const QColor& text) {
        QPalette palette;
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::WindowText, text);
        window->setPalette(palette);
        window->setAutoFillBackground(true);
        (new QHBoxLayout(window.get()))->addWidget(button);
        button->setFixedContentSize(QSize(26, 28));
        window->show();
        QCoreApplication::processEvents();
    }
    void pointAt(const QPoint& where) {
        QTest::mouseMove(window.get(), where);
        QCoreApplication::processEvents();
    }
    QPoint inButton(const QPoint& at) const { return button->mapTo(window.get(), at); }
    QColor pixel(const QPoint& at) { return window->grab().toImage().pixelColor(inButton(at)); }
};

TEST(ToolbarHoverTest, FillCoversThePaddingOnlyWhileHoveredInLightAndDark) {
    const struct {
        QColor background, text;
        int expected; // the background with the text colour at 10 % / 17 % over it
    } cases[] = {{Qt::white, Qt::black, 230}, {QColor(0x20, 0x20, 0x20), Qt::white, 70}};
    for (const auto& c : cases) {
        Row row(c.background, c.text);
        EXPECT_EQ(row.button->size(), QSize(30, 30));
        EXPECT_EQ(row.pixel({15, 0}), c.background);
        row.pointAt(row.inButton({1, 15}));
        EXPECT_TRUE(row.button->isHovered());
        for (const QPoint at : {QPoint(15, 0), QPoint(29, 15), QPoint(15, 29)})
            EXPECT_NEAR(row.pixel(at).red(), c.expected, 2) << at.x() << "," << at.y();
        EXPECT_EQ(row.pixel({0, 0}), c.background) << "rounded corner";
        row.pointAt({2, 2});
        EXPECT_FALSE(row.button->isHovered());
        EXPECT_EQ(row.pixel({15, 0}), c.background);
    }
}

TEST(ToolbarHoverTest, PaddedRoundedShapeAnswersClicks) {
    Row row(Qt::white, Qt::black);
    QSignalSpy clicks(row.button, &QAbstractButton::clicked);
    const struct {
        QPoint at;
        int clicks;
    } cases[] = {{{1, 15}, 1}, {{15, 0}, 1}, {{27, 27}, 1}, {{0, 1}, 0}, {{29, 1}, 0}};
    for (const auto& c : cases) {
        clicks.clear();
        QTest::mouseClick(row.button, Qt::LeftButton, {}, c.at);
        EXPECT_EQ(clicks.count(), c.clicks) << c.at.x() << "," << c.at.y();
    }
}

} // namespace
} // namespace inkwarden
