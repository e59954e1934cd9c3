#include "app/CloakingScale.hpp"

#include "app/CloakingArtwork.hpp"
#include "app/DataFiles.hpp"
#include "app/FormState.hpp"
#include "app/rules/CloakingScaleRules.hpp"
#include "app/TextureItems.hpp"
#include "modify/Cloaking.hpp"
#include "modify/RewriteFile.hpp"
#include "opt/OptImage.hpp"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>
#include <filesystem>

namespace {

constexpr int kScene = 256; // the backdrop's size
constexpr int kShipSize = 16;
constexpr int kHighTop = 104;
constexpr int kLowTop = 120;
const QString kBackdropFile = QStringLiteral("clkscrn.bmp");
const QString kBegin = QStringLiteral("BEGIN");
const char* const kHighName = "high-visibility distance";
const char* const kLowName = "low-visibility distance";

QLabel* MakeShip(QWidget* pane, const char* name, int top, bool high)
{
    auto* ship = new QLabel(pane);
    ship->setObjectName(QString::fromLatin1(name));
    ship->setPixmap(QPixmap::fromImage(cloakart::DrawShip(high)));
    ship->setGeometry(lathwork::rules::kScaleEnd, top, kShipSize, kShipSize);
    ship->setToolTip(QStringLiteral("NEVER"));
    ship->setCursor(Qt::SizeHorCursor);
    ship->hide();
    return ship;
}

std::filesystem::path ToPath(const QString& path)
{
    return lathwork::app::NativePath(path);
}

std::string Text(const QLineEdit* box)
{
    return box->text().toStdString();
}

} // namespace

CloakingScale::CloakingScale(QWidget* pane, QLineEdit* highBox, QLineEdit* lowBox, FormState& state,
                             std::function<QString()> beginCaption, QObject* parent)
    : QObject(parent), pane_(pane), highBox_(highBox), lowBox_(lowBox), state_(state),
      beginCaption_(std::move(beginCaption))
{
    highShip_ = MakeShip(pane, "highshippic", kHighTop, true);
    lowShip_ = MakeShip(pane, "lowshippic", kLowTop, false);
    highShip_->installEventFilter(this);
    lowShip_->installEventFilter(this);
    pane_->installEventFilter(this);

    zoom_ = new QScrollBar(Qt::Horizontal, pane);
    zoom_->setObjectName(QStringLiteral("zoomadjuster"));
    zoom_->setRange(lathwork::rules::kZoomMin, lathwork::rules::kZoomMax);
    zoom_->setValue(lathwork::rules::kZoomMin);
    zoom_->setSingleStep(1);
    zoom_->setPageStep(1);
    zoom_->setGeometry(8, cloakart::kZoomBarTop, 240, 16);
    zoom_->hide();

    zoomLabel_ = new QLabel(QString::fromStdString(lathwork::rules::ZoomText(lathwork::rules::kZoomMin)), pane);
    zoomLabel_->setObjectName(QStringLiteral("zoomdistance"));
    zoomLabel_->setGeometry(168, cloakart::kZoomLabelTop, 80, 14);
    zoomLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette palette = zoomLabel_->palette();
    palette.setColor(QPalette::WindowText, QColor(208, 216, 232)); // light text on the dark backdrop
    zoomLabel_->setPalette(palette);
    zoomLabel_->hide();

    for (QLineEdit* box : {highBox_, lowBox_}) {
        // Text set by the program runs the rule at once; typed text waits for its commit.
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            if (!box->isModified()) {
                PlaceShipIcon(box);
            }
        });
        connect(box, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });
    }
    connect(zoom_, &QScrollBar::valueChanged, this, &CloakingScale::ZoomChanged);
    CentreScene();
}

QPixmap CloakingScale::Backdrop() const
{
    QPixmap picture(QDir::current().absoluteFilePath(kBackdropFile));
    if (picture.isNull()) {
        picture.load(lathwork::app::FindDataFile(kBackdropFile));
    }
    if (picture.isNull()) {
        picture = QPixmap::fromImage(cloakart::DrawBackdrop());
    }
    return picture;
}

void CloakingScale::ShowForMode()
{
    if (beginCaption_() == kBegin) {
        highShip_->show();
        highShip_->raise();
        if (state_.CloakFound == 1) {
            lowShip_->show();
            lowShip_->raise();
        }
    }
    zoom_->show();
    zoomLabel_->show();
}

void CloakingScale::HideForOtherMode()
{
    highShip_->hide();
    lowShip_->hide();
    zoom_->hide();
    zoomLabel_->hide();
}

void CloakingScale::ResetForNewFile()
{
    highBox_->setEnabled(false);
    lowBox_->setEnabled(false);
    highShip_->hide();
    lowShip_->hide();
}

void CloakingScale::Scan(const QString& optPath)
{
    // Read first: a file that cannot be read leaves the boxes and ships as they were.
    Show(lathwork::ScanCloakingDistances(lathwork::OptImage::Load(ToPath(optPath))));
}

void CloakingScale::Show(const lathwork::CloakingScan& found)
{
    state_.CloakFound = 0;
    highBox_->setEnabled(true);
    SetBoxText(highBox_, QStringLiteral("never"));
    if (found.high) {
        SetBoxText(highBox_, QString::fromStdString(*found.high));
    }
    if (found.cloakFound) {
        state_.CloakFound = 1;
        lowShip_->show();
        lowBox_->setEnabled(true);
        if (found.low) {
            SetBoxText(lowBox_, QString::fromStdString(*found.low));
        }
    }
}

void CloakingScale::ValidateBoxes() const
{
    lathwork::RequireDistanceValue(Text(highBox_), kHighName);
    // Without a second distance the low box is disabled and its value reaches no table.
    if (state_.CloakFound == 1) {
        lathwork::RequireDistanceValue(Text(lowBox_), kLowName);
    }
}

void CloakingScale::Write(const QString& optPath, lathwork::FileChange* kept)
{
    Write(optPath, kept, [](const std::function<void()>& rewrite) { rewrite(); });
}

void CloakingScale::Write(const QString& optPath, lathwork::FileChange* kept,
                          const std::function<void(const std::function<void()>&)>& run)
{
    ValidateBoxes();
    const float high = lathwork::RequireDistanceValue(Text(highBox_), kHighName);
    const std::optional<float> low = lathwork::DistanceValue(Text(lowBox_));
    const auto path = ToPath(optPath);
    run([&] {
        lathwork::RewriteFile(path, [&](lathwork::OptImage& image) { lathwork::WriteCloakingDistances(image, high, low); },
                              kept);
    });
}

void CloakingScale::PlaceShipIcon(QLineEdit* box)
{
    if (box != highBox_ && box != lowBox_) {
        return;
    }
    QLabel* ship = box == highBox_ ? highShip_ : lowShip_;
    if (box == highBox_) {
        highShip_->show();
        if (state_.CloakFound == 1) {
            lowShip_->show();
        }
    }
    const lathwork::rules::BoxChange change = lathwork::rules::ApplyBoxChange(Text(box), Zoom());
    if (change.replaceWith) {
        SetBoxText(box, QString::fromStdString(*change.replaceWith)); // runs this rule again
        return;
    }
    if (change.x) {
        MoveShip(ship, *change.x);
        ship->setToolTip(QString::fromStdString(change.tooltip));
    }
}

void CloakingScale::CommitEdits()
{
    for (QLineEdit* box : {highBox_, lowBox_}) {
        if (box->isModified()) {
            box->setModified(false);
            PlaceShipIcon(box);
        }
    }
}

void CloakingScale::DragShip(QWidget* ship, double paneX)
{
    if (ship != highShip_ && ship != lowShip_) {
        return;
    }
    const int x = lathwork::rules::ClampDragX(paneX - origin_.x());
    MoveShip(ship == highShip_ ? highShip_ : lowShip_, x);
    SetBoxText(ship == highShip_ ? highBox_ : lowBox_, QString::fromStdString(lathwork::rules::DragText(x, Zoom())));
}

void CloakingScale::ZoomChanged(int zoom)
{
    zoomLabel_->setText(QString::fromStdString(lathwork::rules::ZoomText(zoom)));
    if (beginCaption_() != kBegin) {
        return;
    }
    PlaceFromBox(highBox_, highShip_, zoom);
    if (state_.CloakFound == 1) {
        PlaceFromBox(lowBox_, lowShip_, zoom);
    }
}

bool CloakingScale::eventFilter(QObject* watched, QEvent* event)
{
    const bool onShip = watched == highShip_ || watched == lowShip_;
    if (!onShip && watched != pane_) {
        return QObject::eventFilter(watched, event);
    }
    const QEvent::Type type = event->type();
    if (watched == pane_ && type == QEvent::Resize) {
        CentreScene();
        return QObject::eventFilter(watched, event);
    }
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                       type == QEvent::MouseButtonRelease;
    if (!mouse) {
        return QObject::eventFilter(watched, event);
    }
    const auto* mouseEvent = static_cast<QMouseEvent*>(event);
    QPointF at = mouseEvent->position();
    if (watched != pane_) {
        at = static_cast<QWidget*>(watched)->mapTo(pane_, at);
    }
    if (type == QEvent::MouseButtonPress && onShip && !static_cast<QWidget*>(watched)->isHidden() &&
        mouseEvent->button() == Qt::LeftButton) {
        dragging_ = static_cast<QLabel*>(watched);
        pressedAt_ = at;
        moved_ = false;
        return true;
    }
    // While a ship is held, the pointer may be reported to the ship or to the pane under it.
    // Only a pointer that moved makes a drag: a click leaves the ship and its box alone.
    if (type != QEvent::MouseButtonPress && dragging_ != nullptr && (watched == dragging_ || watched == pane_)) {
        moved_ = moved_ || at != pressedAt_;
        QLabel* ship = dragging_;
        if (type == QEvent::MouseButtonRelease) {
            dragging_ = nullptr;
        }
        if (moved_) {
            DragShip(ship, at.x());
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CloakingScale::SetBoxText(QLineEdit* box, const QString& text)
{
    box->setModified(false); // the program's text replaces an edit not yet committed
    if (box->text() == text) {
        PlaceShipIcon(box); // setText would not signal a change
    } else {
        box->setText(text);
    }
}

void CloakingScale::PlaceFromBox(QLineEdit* box, QLabel* ship, int zoom)
{
    if (const auto x = lathwork::rules::ShipPosition(Text(box), zoom)) {
        MoveShip(ship, *x);
    }
}

void CloakingScale::MoveShip(QLabel* ship, int x)
{
    ship->move(origin_.x() + x, ship->y());
}

void CloakingScale::CentreScene()
{
    // Where the pane draws the backdrop: the 256 x 256 square centred in it.
    const QPoint origin(std::max(0, (pane_->width() - kScene) / 2), std::max(0, (pane_->height() - kScene) / 2));
    const QPoint by = origin - origin_;
    origin_ = origin;
    for (QWidget* widget : std::initializer_list<QWidget*>{highShip_, lowShip_, zoom_, zoomLabel_}) {
        widget->move(widget->pos() + by);
    }
}

int CloakingScale::Zoom() const
{
    return zoom_->value();
}
