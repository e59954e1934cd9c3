#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>

class QEvent;
class QLabel;
class QLineEdit;
class QScrollBar;
class QWidget;
struct FormState;
namespace lathwork {
struct CloakingScan;
struct FileChange;
}

// The cloaking distance scale inside the preview pane: the two draggable ship pictures
// (highshippic, lowshippic), the zoom bar (zoomadjuster) and its label (zoomdistance), and
// the rules that tie them to the two distance boxes the window owns. The scene is 256 x 256
// pixels, centred in a larger pane together with the backdrop the pane draws there; positions
// given here (a ship's x, a drag's x) are scene coordinates. A box's change rule runs
// when its text is set (by the scan, a drag or the program) and when the user commits an edit
// (Return, or leaving the box), never halfway through typing.
class CloakingScale : public QObject {
    Q_OBJECT
public:
    // Creates highshippic, lowshippic, zoomadjuster and zoomdistance as hidden children of
    // pane (bmpdisplay) and watches the boxes' text changes (create the boxes with their
    // initial text "never" before). beginCaption returns the caption of cloakbutbegin.
    CloakingScale(QWidget* pane, QLineEdit* highBox, QLineEdit* lowBox, FormState& state,
                  std::function<QString()> beginCaption, QObject* parent = nullptr);

    // The backdrop: clkscrn.bmp from the current directory, else the copy installed with the
    // program, else one drawn in code. Never fails.
    QPixmap Backdrop() const;

    // Mode switch to Cloaking (ships shown after a scan, zoom shown) and to another mode.
    void ShowForMode();
    void HideForOtherMode();

    // A file click or folder change: both boxes disabled, both ships hidden.
    void ResetForNewFile();

    // SCAN: reads the distances of the OPT at path into the boxes. Throws lathwork::OptError;
    // a failed scan changes nothing.
    void Scan(const QString& optPath);
    // Shows distances a scan found: the boxes, their ships and CloakFound.
    void Show(const lathwork::CloakingScan& found);

    // Checks both boxes (the low one only when the scan found a second distance); throws
    // lathwork::OptError naming the box and its text when one holds neither NEVER, ALWAYS nor
    // a positive number. Called before the warning box.
    void ValidateBoxes() const;

    // BEGIN: writes the boxes into every distance table of the OPT at path (atomically).
    // Checks the boxes first, as ValidateBoxes does. kept, when given, receives the file's bytes
    // before and after.
    void Write(const QString& optPath, lathwork::FileChange* kept = nullptr);
    // As Write, with the file's rewrite handed to run (which may run it on another thread);
    // the boxes are read before.
    void Write(const QString& optPath, lathwork::FileChange* kept,
               const std::function<void(const std::function<void()>&)>& run);

    // The change rule of a distance box.
    void PlaceShipIcon(QLineEdit* box);

    // Runs the change rule of each box whose edit the user has not committed yet (BEGIN).
    void CommitEdits();

    // A ship dragged over the pane with the pointer at paneX (pane coordinates): the ship's
    // left edge goes there in the scene, clamped to 0..232, and its box gets the distance. The mouse drag
    // on the ship pictures ends here too.
    void DragShip(QWidget* ship, double paneX);

    // zoomadjuster moved to zoom: the label, and the ships re-placed in state BEGIN.
    void ZoomChanged(int zoom);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sets a box's text and runs its change rule once, even when the text does not change.
    void SetBoxText(QLineEdit* box, const QString& text);
    void PlaceFromBox(QLineEdit* box, QLabel* ship, int zoom);
    int Zoom() const;
    // Moves a ship to scene x, keeping its lane.
    void MoveShip(QLabel* ship, int x);
    // Keeps the scene's widgets centred when the pane changes size.
    void CentreScene();

    QWidget* pane_;
    QLineEdit* highBox_;
    QLineEdit* lowBox_;
    FormState& state_;
    std::function<QString()> beginCaption_;
    QLabel* highShip_;
    QLabel* lowShip_;
    QScrollBar* zoom_;
    QLabel* zoomLabel_;
    QLabel* dragging_ = nullptr; // the ship held down
    QPointF pressedAt_;           // where it was pressed, in pane coordinates
    bool moved_ = false;          // the pointer moved while it was held: a drag, not a click
    QPoint origin_;               // the scene's top-left corner in the pane
};
