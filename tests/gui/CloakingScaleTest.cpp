// The cloaking scale driven on its own: a pane, two distance boxes and the scan button's caption.

#include "app/CloakingArtwork.hpp"
#include "app/CloakingScale.hpp"
#include "app/FormState.hpp"
#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/TestFiles.hpp"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <cstring>
#include <memory>

using namespace lathwork::testkit;

namespace {

BuiltModel Model(const std::vector<std::vector<float>>& tables)
{
    ModelShape tree;
    TopShape top;
    for (const auto& distances : tables) {
        top.children.push_back(GroupShape{.selector = 1, .branch = BranchShape{.parts = {}, .distances = distances}});
    }
    tree.tops.push_back(top);
    return Build(tree);
}

std::uint32_t EntryBits(const std::filesystem::path& file, const BuiltModel& model, std::size_t branch, std::size_t k)
{
    const auto table = GetLong(model.bytes, static_cast<std::size_t>(model.branches[branch]) + 20) - model.globalOffset;
    const float value = GetSingle(ReadFile(file), static_cast<std::size_t>(table) + 4 * k);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return bits;
}

} // namespace

class CloakingScaleTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsHiddenAtTheRightEdge();
    void scanShowsBothDistancesAndPlacesTheShips();
    void alwaysStandsAtZeroAndIsWrittenBackAsOne();
    void typedTextsFollowTheChangeRule();
    void draggingSetsTheDistance();
    void zoomMovesShipsOnlyInBeginState();
    void oneDistanceLeavesTheLowShipHidden();
    void noBranchNodeShowsNever();
    void invalidTextIsNeverWritten();
    void damagedFileChangesNothing();
    void resetAndModeSwitchHideTheShips();
    void backdropComesFromTheCurrentFolderOrIsDrawn();

private:
    QLabel* Ship(const char* name) const { return pane->findChild<QLabel*>(QString::fromLatin1(name)); }
    QScrollBar* Zoom() const { return pane->findChild<QScrollBar*>(QStringLiteral("zoomadjuster")); }
    QLabel* ZoomLabel() const { return pane->findChild<QLabel*>(QStringLiteral("zoomdistance")); }
    void ScanModel(const BuiltModel& model)
    {
        WriteFile(file, model.bytes);
        scale->Scan(FilePath());
        caption = QStringLiteral("BEGIN");
    }
    QString FilePath() const { return QString::fromStdString(file.string()); }

    std::unique_ptr<QWidget> window;
    QWidget* pane = nullptr;
    QLineEdit* high = nullptr;
    QLineEdit* low = nullptr;
    FormState state;
    QString caption;
    CloakingScale* scale = nullptr;
    std::unique_ptr<TempFolder> folder;
    std::filesystem::path file;
};

void CloakingScaleTest::init()
{
    window = std::make_unique<QWidget>();
    window->resize(600, 300);
    pane = new QWidget(window.get());
    pane->setGeometry(300, 10, 256, 256);
    high = new QLineEdit(QStringLiteral("never"), window.get());
    low = new QLineEdit(QStringLiteral("never"), window.get());
    high->setEnabled(false);
    low->setEnabled(false);
    state = FormState{};
    caption = QStringLiteral("SCAN");
    scale = new CloakingScale(pane, high, low, state, [this] { return caption; }, window.get());
    folder = std::make_unique<TempFolder>();
    file = *folder / "SHIP.OPT";
}

void CloakingScaleTest::cleanup()
{
    window.reset();
    folder.reset();
}

void CloakingScaleTest::startsHiddenAtTheRightEdge()
{
    for (const auto& [name, top] : {std::pair{"highshippic", 104}, std::pair{"lowshippic", 120}}) {
        QLabel* ship = Ship(name);
        QVERIFY(ship);
        QCOMPARE(ship->parentWidget(), pane);
        QCOMPARE(ship->geometry(), QRect(232, top, 16, 16));
        QCOMPARE(ship->toolTip(), QStringLiteral("NEVER"));
        QVERIFY(ship->isHidden());
    }
    QScrollBar* zoom = Zoom();
    QVERIFY(zoom);
    QCOMPARE(zoom->orientation(), Qt::Horizontal);
    QCOMPARE(zoom->minimum(), 1);
    QCOMPARE(zoom->maximum(), 10);
    QCOMPARE(zoom->value(), 1);
    QCOMPARE(zoom->singleStep(), 1);
    QCOMPARE(zoom->pageStep(), 1);
    QVERIFY(zoom->isHidden());
    QCOMPARE(ZoomLabel()->text(), QStringLiteral("2 km"));
    QVERIFY(ZoomLabel()->isHidden());
    // Creating the scale runs no change rule.
    QCOMPARE(high->text(), QStringLiteral("never"));
}

void CloakingScaleTest::scanShowsBothDistancesAndPlacesTheShips()
{
    ScanModel(Model({{3.413533e-05f, 0.0f}}));
    QCOMPARE(high->text(), QStringLiteral("2"));
    QCOMPARE(low->text(), QStringLiteral("NEVER"));
    QVERIFY(high->isEnabled());
    QVERIFY(low->isEnabled());
    QCOMPARE(state.CloakFound, std::int16_t{1});
    QCOMPARE(Ship("highshippic")->pos(), QPoint(232, 104));
    QCOMPARE(Ship("highshippic")->toolTip(), QStringLiteral("2km"));
    QCOMPARE(Ship("lowshippic")->pos(), QPoint(232, 120));
    QCOMPARE(Ship("lowshippic")->toolTip(), QStringLiteral("NEVER"));
    QVERIFY(!Ship("highshippic")->isHidden());
    QVERIFY(!Ship("lowshippic")->isHidden());
    // A second scan of the same file gives the same picture.
    scale->Scan(FilePath());
    QCOMPARE(high->text(), QStringLiteral("2"));
    QCOMPARE(Ship("highshippic")->x(), 232);
}

void CloakingScaleTest::alwaysStandsAtZeroAndIsWrittenBackAsOne()
{
    const auto model = Model({{1.0f, 0.5f}, {0.25f, 0.5f, 0.75f}});
    ScanModel(model);
    QCOMPARE(high->text(), QStringLiteral("ALWAYS"));
    QCOMPARE(Ship("highshippic")->x(), 0);
    QCOMPARE(Ship("highshippic")->toolTip(), QStringLiteral("ALWAYS"));
    scale->Write(FilePath());
    for (std::size_t branch : {0u, 1u}) {
        QCOMPARE(EntryBits(file, model, branch, 0), 0x3F800000u);
    }
    QCOMPARE(EntryBits(file, model, 1, 2), EntryBits(file, model, 1, 1));
    QCOMPARE(ReadFile(file).size(), model.bytes.size());
}

void CloakingScaleTest::typedTextsFollowTheChangeRule()
{
    const auto model = Model({{0.5f, 0.5f}});
    ScanModel(model);
    high->clear();
    QTest::keyClicks(high, QStringLiteral("."));
    QTest::keyClick(high, Qt::Key_Return); // typed text counts once committed
    QCOMPARE(high->text(), QStringLiteral("0.01"));
    QCOMPARE(Ship("highshippic")->x(), 1); // 0.01 * 116 = 1.16
    QCOMPARE(Ship("highshippic")->toolTip(), QStringLiteral("0.01km"));
    low->clear();
    QTest::keyClicks(low, QStringLiteral("0"));
    QTest::keyClick(low, Qt::Key_Return);
    QCOMPARE(low->text(), QStringLiteral("ALWAYS"));
    QCOMPARE(Ship("lowshippic")->x(), 0);
    high->setText(QStringLiteral("NeVeR"));
    QCOMPARE(Ship("highshippic")->x(), 232);
    high->setText(QStringLiteral("1abc")); // no number: the ship stays
    QCOMPARE(Ship("highshippic")->x(), 232);
    high->setText(QStringLiteral("nEVER"));
    scale->Write(FilePath());
    QCOMPARE(EntryBits(file, model, 0, 0), 0u);
    QCOMPARE(EntryBits(file, model, 0, 1), 0x3F800000u);
}

void CloakingScaleTest::draggingSetsTheDistance()
{
    ScanModel(Model({{3.413533e-05f, 3.413533e-05f}}));
    window->show();
    QLabel* ship = Ship("highshippic");
    QTest::mousePress(ship, Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseMove(pane, QPoint(58, 110));
    QCOMPARE(high->text(), QStringLiteral("0.5"));
    QCOMPARE(ship->pos(), QPoint(58, 104));
    QCOMPARE(ship->toolTip(), QStringLiteral("0.5km"));
    QTest::mouseMove(ship, QPoint(300 - 58, 8)); // reported to the ship: beyond the right edge
    QTest::mouseRelease(ship, Qt::LeftButton, {}, QPoint(300 - 58, 8));
    QCOMPARE(high->text(), QStringLiteral("2"));
    QCOMPARE(ship->x(), 232);
    QTest::mouseMove(pane, QPoint(10, 110)); // released: nothing moves
    QCOMPARE(ship->x(), 232);

    QLabel* lowShip = Ship("lowshippic");
    scale->DragShip(lowShip, -20);
    QCOMPARE(low->text(), QStringLiteral("ALWAYS")); // x = 0 gives 0, which becomes ALWAYS
    QCOMPARE(lowShip->pos(), QPoint(0, 120));
    Zoom()->setValue(10);
    scale->DragShip(lowShip, 1);
    QCOMPARE(low->text(), QStringLiteral("4.41"));
    QCOMPARE(lowShip->x(), 1);
}

void CloakingScaleTest::zoomMovesShipsOnlyInBeginState()
{
    ScanModel(Model({{3.413533e-05f, 0.5f}}));
    low->setText(QStringLiteral("-5"));
    const int lowX = Ship("lowshippic")->x();
    Zoom()->setValue(3);
    QCOMPARE(ZoomLabel()->text(), QStringLiteral("8 km"));
    QCOMPARE(Ship("highshippic")->x(), 58);
    QCOMPARE(high->text(), QStringLiteral("2"));
    QCOMPARE(Ship("highshippic")->toolTip(), QStringLiteral("2km"));
    QCOMPARE(Ship("lowshippic")->x(), lowX); // "-5" moves no ship
    Zoom()->setValue(10);
    QCOMPARE(ZoomLabel()->text(), QStringLiteral("1024 km"));
    caption = QStringLiteral("SCAN");
    Zoom()->setValue(1);
    QCOMPARE(ZoomLabel()->text(), QStringLiteral("2 km"));
    QCOMPARE(Ship("highshippic")->x(), 0); // 2 * 0.2265625 = 0.45: left where zoom 10 put it
}

void CloakingScaleTest::oneDistanceLeavesTheLowShipHidden()
{
    const auto model = Model({{3.413533e-05f}});
    ScanModel(model);
    QCOMPARE(state.CloakFound, std::int16_t{0});
    QVERIFY(!low->isEnabled());
    QVERIFY(Ship("lowshippic")->isHidden());
    scale->HideForOtherMode();
    scale->ShowForMode();
    QVERIFY(!Ship("highshippic")->isHidden());
    QVERIFY(Ship("lowshippic")->isHidden());
    QVERIFY(!Zoom()->isHidden());
    QVERIFY(!ZoomLabel()->isHidden());
    // The disabled low box plays no part in BEGIN, whatever it holds.
    low->setText(QStringLiteral("junk"));
    scale->ValidateBoxes();
    scale->Write(FilePath());
    const float two = *lathwork::DistanceValue("2");
    std::uint32_t twoBits = 0;
    std::memcpy(&twoBits, &two, 4);
    QCOMPARE(EntryBits(file, model, 0, 0), twoBits);
    QCOMPARE(ReadFile(file).size(), model.bytes.size());
}

void CloakingScaleTest::noBranchNodeShowsNever()
{
    ModelShape tree;
    tree.tops.push_back(TopShape{.children = {OtherChildShape{}}});
    const auto model = Build(tree);
    ScanModel(model); // the box already reads "never": the ship still shows
    QCOMPARE(high->text(), QStringLiteral("never"));
    QVERIFY(!Ship("highshippic")->isHidden());
    QCOMPARE(Ship("highshippic")->x(), 232);
    high->setText(QStringLiteral("1"));
    QCOMPARE(Ship("highshippic")->x(), 116);
    scale->Scan(FilePath());
    QCOMPARE(high->text(), QStringLiteral("never"));
    QCOMPARE(Ship("highshippic")->x(), 232);
    scale->Write(FilePath());
    QCOMPARE(ReadFile(file), model.bytes);
}

void CloakingScaleTest::invalidTextIsNeverWritten()
{
    const auto model = Model({{0.5f, 0.5f}});
    ScanModel(model);
    for (const QString& text : {QStringLiteral("1abc"), QStringLiteral("-5"), QString(), QStringLiteral("far")}) {
        low->setText(text);
        try {
            scale->ValidateBoxes();
            QFAIL("accepted");
        } catch (const lathwork::OptError& error) {
            const QString message = QString::fromStdString(error.what());
            QVERIFY2(message.contains(QStringLiteral("low-visibility distance \"") + text + QLatin1Char('"')),
                     qPrintable(message));
        }
        QVERIFY_THROWS_EXCEPTION(lathwork::OptError, scale->Write(FilePath()));
        QCOMPARE(ReadFile(file), model.bytes);
    }
}

void CloakingScaleTest::damagedFileChangesNothing()
{
    auto model = Model({{0.5f, 0.5f}});
    SetLong(model.bytes, static_cast<std::size_t>(model.branches[0]) + 20, 0x7FFFFFF0);
    WriteFile(file, model.bytes);
    QVERIFY_THROWS_EXCEPTION(lathwork::OptError, scale->Scan(FilePath()));
    QCOMPARE(high->text(), QStringLiteral("never"));
    QVERIFY(!high->isEnabled());
    QVERIFY(Ship("highshippic")->isHidden());
    high->setText(QStringLiteral("2"));
    QVERIFY_THROWS_EXCEPTION(lathwork::OptError, scale->Write(FilePath()));
    QCOMPARE(ReadFile(file), model.bytes);
    QCOMPARE(folder->Entries(), std::vector<std::string>{"SHIP.OPT"});
}

void CloakingScaleTest::resetAndModeSwitchHideTheShips()
{
    ScanModel(Model({{0.5f, 0.5f}}));
    scale->ShowForMode();
    scale->ResetForNewFile();
    QVERIFY(!high->isEnabled());
    QVERIFY(!low->isEnabled());
    QVERIFY(Ship("highshippic")->isHidden());
    QVERIFY(Ship("lowshippic")->isHidden());
    QVERIFY(!Zoom()->isHidden());
    caption = QStringLiteral("SCAN");
    scale->ShowForMode(); // before a new scan: the zoom only
    QVERIFY(Ship("highshippic")->isHidden());
    scale->HideForOtherMode();
    QVERIFY(Zoom()->isHidden());
    QVERIFY(ZoomLabel()->isHidden());
}

void CloakingScaleTest::backdropComesFromTheCurrentFolderOrIsDrawn()
{
    const QDir source(QStringLiteral(LATHWORK_SOURCE_DIR));
    const QImage committed(source.absoluteFilePath(QStringLiteral("assets/clkscrn.bmp")));
    QCOMPARE(committed.size(), QSize(256, 256));
    QCOMPARE(cloakart::DrawBackdrop().size(), QSize(256, 256));
    QCOMPARE(cloakart::DrawShip(true).size(), QSize(16, 16));
    QVERIFY(cloakart::DrawShip(true) != cloakart::DrawShip(false));

    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QString::fromStdString(folder->Path().string())));
    QCOMPARE(scale->Backdrop().size(), QSize(256, 256)); // nothing here: drawn in code
    QImage own(40, 30, QImage::Format_RGB32);
    own.fill(Qt::red);
    QVERIFY(own.save(QStringLiteral("clkscrn.bmp"), "BMP"));
    QCOMPARE(scale->Backdrop().size(), QSize(40, 30));
    QDir::setCurrent(before);
}

QTEST_MAIN(CloakingScaleTest)
#include "CloakingScaleTest.moc"
