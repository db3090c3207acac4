// The window's own behaviour: the mode switch, the hint text, the resize rule and the settings bar.
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "ui/main/click_label.h"
#include "ui/main/input_modes.h"
#include "ui/main/skin.h"
#include "ui_test_support.h"

namespace velomir::test {

namespace {

QColor backgroundOf(WindowHarness& harness, const char* name) {
    return harness.control<ClickLabel>(name)->background();
}

QColor rgb(QRgb value) { return QColor::fromRgb(value); }

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void modeSwitchCopiesReferenceColours();
    void modeSwitchSwapsOnlyHints();
    void hintRule_data();
    void hintRule();
    void resizeKeepsMiddlePanel_data();
    void resizeKeepsMiddlePanel();
    void settingsBarExpandsAndCollapses();
    void maximumCountBox();
    void skinImagesAtTheirSizes();
};

// Face and stripe of the parse tab, then of the search tab, then the two captions.
QList<QColor> tabColours(WindowHarness& harness) {
    QList<QColor> colours;
    for (const char* name :
         {"图片框_解析模式", "图片框_解析模式1", "图片框_搜索模式", "图片框_搜索模式1", "标签_解析", "标签_搜索"}) {
        colours.append(backgroundOf(harness, name));
    }
    return colours;
}

void WindowLayoutTest::modeSwitchCopiesReferenceColours() {
    WindowHarness harness(stubPort());
    const QColor active = rgb(0x505050);
    const QColor idle = rgb(0x3E3E40);
    QCOMPARE(tabColours(harness), (QList<QColor>{active, rgb(0xFF0000), idle, idle, active, idle}));
    // The stripe takes the red edge's colour, not the skin's stripe colour.
    QTest::mouseClick(harness.control("透明标签_搜索模式"), Qt::LeftButton);
    QVERIFY(harness.window().searchMode());
    QCOMPARE(tabColours(harness), (QList<QColor>{idle, idle, active, rgb(0xEA2000), idle, active}));
    QTest::mouseClick(harness.control("透明标签_解析模式"), Qt::LeftButton);
    QVERIFY(!harness.window().searchMode());
    QCOMPARE(tabColours(harness), (QList<QColor>{active, rgb(0xEA2000), idle, idle, active, idle}));
}

void WindowLayoutTest::modeSwitchSwapsOnlyHints() {
    WindowHarness harness(stubPort());
    harness.showActive();
    auto* box = harness.control<QLineEdit>("编辑框_链接id");
    QCOMPARE(box->text(), parseHint());
    QTest::mouseClick(harness.control("透明标签_搜索模式"), Qt::LeftButton);
    QCOMPARE(box->text(), searchHint());
    QTest::mouseClick(harness.control("透明标签_解析模式"), Qt::LeftButton);
    QCOMPARE(box->text(), parseHint());
    box->setText(QStringLiteral("周杰伦"));
    QTest::mouseClick(harness.control("透明标签_搜索模式"), Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("周杰伦"));

    // The mode already shown: no change, but the box loses the focus.
    box->setFocus();
    QVERIFY(box->hasFocus());
    QTest::mouseClick(harness.control("透明标签_搜索模式"), Qt::LeftButton);
    QVERIFY(!box->hasFocus());
    QCOMPARE(backgroundOf(harness, "图片框_搜索模式"), rgb(0x505050));
}

void WindowLayoutTest::hintRule_data() {
    QTest::addColumn<bool>("search");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterLeaving");
    QTest::newRow("spaces, parse mode") << false << "   " << parseHint();
    QTest::newRow("full-width spaces, search mode") << true << "\u3000 \u3000" << searchHint();
    QTest::newRow("empty") << false << "" << parseHint();
    QTest::newRow("text with spaces stays") << false << " a "
                                            << " a ";
    QTest::newRow("other mode's hint stays") << true << parseHint() << parseHint();
}

void WindowLayoutTest::hintRule() {
    QFETCH(bool, search);
    QFETCH(QString, typed);
    QFETCH(QString, afterLeaving);
    WindowHarness harness(stubPort());
    harness.showActive();
    if (search) QTest::mouseClick(harness.control("透明标签_搜索模式"), Qt::LeftButton);
    auto* box = harness.control<QLineEdit>("编辑框_链接id");
    // Entering the box takes the hint away.
    box->setFocus();
    QVERIFY(box->hasFocus());
    QCOMPARE(box->text(), QString());
    box->setText(typed);
    harness.control<QPushButton>("按钮_焦点")->setFocus();
    QCOMPARE(box->text(), afterLeaving);
}

void WindowLayoutTest::resizeKeepsMiddlePanel_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger") << QSize(1000, 600);
    QTest::newRow("smaller") << QSize(700, 420);
    QTest::newRow("odd") << QSize(901, 533);
}

void WindowLayoutTest::resizeKeepsMiddlePanel() {
    QFETCH(QSize, size);
    WindowHarness harness(stubPort());
    harness.showActive();
    harness.window().resize(size);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window().size(), size, kEventWaitMs);
    const QRect middle = harness.control("图片框_左中")->geometry();
    QCOMPARE(middle, QRect(56, 0, 466, size.height()));
    const QRect grid = harness.control("高级表格_分析列表")->geometry();
    QCOMPARE(grid.top(), 53);
    QCOMPARE(size.height() - (grid.y() + grid.height()), 20);
    QCOMPARE(harness.control("图片框_进度")->size(), grid.size());
    QCOMPARE(harness.control("图片框_右侧")->geometry(), QRect(522, 0, size.width() - 522, size.height()));
    QCOMPARE(harness.control("图片框_歌曲信息底")->geometry().left(), 20);
    QCOMPARE(harness.control("图片框_歌曲信息底")->width(), size.width() - 522 - 40);
    QCOMPARE(harness.control("标签_下载地址")->width(), size.width() - 522 - 40 - 16 - 20);
    QCOMPARE(harness.control("图片框_图片按钮底")->geometry(), QRect(0, size.height() - 40, 56, 40));
    const QWidget* progressText = harness.control("标签_进度");
    const QWidget* loader = harness.control("图片框_载入");
    QCOMPARE(progressText->y(), static_cast<int>(grid.height() / 2.0 - progressText->height() / 2.0));
    QCOMPARE(loader->y() + loader->height(), progressText->y());
}

void WindowLayoutTest::settingsBarExpandsAndCollapses() {
    WindowHarness harness(stubPort());
    harness.showActive();
    auto* bar = harness.control<ClickLabel>("图片框_图片按钮底");
    QTest::mouseClick(harness.control("图片框_设置"), Qt::LeftButton);
    QCOMPARE(bar->width(), 56 + 466);
    QCOMPARE(bar->background(), rgb(0x505050));
    QCOMPARE(backgroundOf(harness, "图片框_封面开关"), rgb(0x505050));
    QCOMPARE(backgroundOf(harness, "标签_跳搜索"), rgb(0x505050));
    QTest::mouseClick(harness.control("图片框_设置"), Qt::LeftButton);
    QCOMPARE(bar->width(), 56);
    QCOMPARE(bar->background(), rgb(0x3E3E40));
    QCOMPARE(backgroundOf(harness, "图片框_设置"), rgb(0x3E3E40));

    // Typing in the link box folds an open bar away.
    QTest::mouseClick(harness.control("图片框_设置"), Qt::LeftButton);
    QTest::keyClick(harness.control<QLineEdit>("编辑框_链接id"), Qt::Key_X);
    QCOMPARE(bar->width(), 56);
    QCOMPARE(bar->background(), rgb(0x3E3E40));

    QTest::mouseClick(harness.control("图片框_跳搜索开关"), Qt::LeftButton);
    QVERIFY(!harness.window().options().jumpToSearch);
    QCOMPARE(harness.control<ClickLabel>("图片框_跳搜索开关")->picture(), skin::imageBytes(skin::kSwitchOff));
    QVERIFY(readFile(harness.settingsPath()).find("sou=假") != std::string::npos);
}

// A 0 counts as 1 at once, but stays in the box until the bar settles.
void WindowLayoutTest::maximumCountBox() {
    WindowHarness harness(stubPort());
    auto* box = harness.control<QLineEdit>("编辑框_最大搜索数");
    box->setText(QStringLiteral("250"));
    QCOMPARE(harness.window().options().maxCount, 250);
    QVERIFY(readFile(harness.settingsPath()).find("max=250") != std::string::npos);
    box->setText(QStringLiteral("0"));
    QCOMPARE(harness.window().options().maxCount, 1);
    QCOMPARE(box->text(), QStringLiteral("0"));
    QTest::mouseClick(harness.control("图片框_设置"), Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("1"));
    QCOMPARE(harness.window().options().maxCount, 1);
}

void WindowLayoutTest::skinImagesAtTheirSizes() {
    const std::pair<const char*, QSize> images[] = {
        {skin::kIcon, {32, 32}},           {skin::kParseButton, {22, 22}},
        {skin::kClearButton, {16, 16}},    {skin::kGear, {32, 32}},
        {skin::kSwitchOn, {32, 32}},       {skin::kSwitchOff, {32, 32}},
        {skin::kLoadingA, {64, 64}},       {skin::kLoadingB, {64, 64}},
        {skin::kDefaultCover, {256, 256}}, {skin::kDiscBackground, {216, 184}},
    };
    for (const auto& [name, size] : images) QVERIFY2(QImage::fromData(skin::imageBytes(name)).size() == size, name);
    QVERIFY(skin::imageBytes(skin::kLoadingA) != skin::imageBytes(skin::kLoadingB));
}

int runWindowLayoutTests(int argc, char** argv) {
    WindowLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "window_layout_test.moc"
